#pragma once
#include "app/OnDemandParts.h"

#include <QStringList>

// The heavy parts from the module file, loaded when one is first used: a
// picture opened at start never waits for the web engine, the multimedia
// framework or the CD library. The first of the candidate files that exists
// is loaded; when none loads, every part is refused and problem() names the
// file and the reason.
class LoadedParts : public OnDemandParts {
public:
    explicit LoadedParts(QStringList candidates);

    // Where the program looks for the module: beside itself (a build
    // folder), then in the installed library folder.
    static QStringList moduleCandidates(const QString &programFolder);

    bool isLoaded() const { return m_parts != nullptr; }

    MediaPlayerView *newMediaPlayer(QWidget *parent) override;
    FlashPlayerView *newFlashPlayer(QWidget *parent) override;
    QString problem() const override { return m_problem; }
    bool showPageBrowser(const QString &target) override;
    bool showHelpPage() override;
    bool showHtmlBuilder(QWidget *parent, FolderSource currentFolder, NamesSource listedNames,
                         RawNamesSource listedBytes) override;
    bool showCdPlayer(QWidget *parent, bool onTop) override;

private:
    OnDemandParts *parts();

    QStringList m_candidates;
    OnDemandParts *m_parts = nullptr;
    bool m_tried = false;
    QString m_problem;
};
