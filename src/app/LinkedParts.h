#pragma once
#include "app/OnDemandParts.h"

// The heavy parts linked into the program that uses them: the module the
// program loads holds one of these, and tests use one directly.
class LinkedParts : public OnDemandParts {
public:
    MediaPlayerView *newMediaPlayer(QWidget *parent) override;
    FlashPlayerView *newFlashPlayer(QWidget *parent) override;
    QString problem() const override { return {}; }
    bool showPageBrowser(const QString &target) override;
    bool showHelpPage() override;
    bool showHtmlBuilder(QWidget *parent, FolderSource currentFolder, NamesSource listedNames,
                         RawNamesSource listedBytes) override;
    bool showCdPlayer(QWidget *parent, bool onTop) override;
};
