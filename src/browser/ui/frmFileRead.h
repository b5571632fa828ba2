#pragma once
#include <QWidget>

class QLabel;
class QProgressBar;

// Places a progress window in the middle of the window that opened it,
// below that window's menu bar.
void centreOnOwner(QWidget *progress);

// The small progress window of the list build.
class frmFileRead : public QWidget {
    Q_OBJECT
public:
    explicit frmFileRead(QWidget *owner);
    QLabel *lblFileRead = nullptr;
    QProgressBar *barFileRead = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};

// The thumbnail build's progress window.
class frmThumbwait : public QWidget {
    Q_OBJECT
public:
    explicit frmThumbwait(QWidget *owner);
    // "Building file 3 of 10" for the third of ten files.
    static QString caption(int index, int count);
    // The progress bar's maximum: the last index, but at least 1.
    static int barMaximum(int count);
    QLabel *lblThumbwait = nullptr;
    QProgressBar *barThumbs = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};
