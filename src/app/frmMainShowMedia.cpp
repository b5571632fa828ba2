// Opening the current entry, and the thumbnail build.
#include "frmMain.h"

#include "FileListModel.h"
#include "FileProblem.h"
#include "MediaTypes.h"
#include "PageBrowser.h"
#include "ThumbnailBuilder.h"
#include "frmFileRead.h"
#include "frmMedia.h"
#include "KeyDispatcher.h"
#include "MediaPlayerWidget.h"

#include <QApplication>

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

void frmMain::ShowMedia()
{
    // The file: the command line's, else the current entry of the active view.
    QString path;
    if (!m_state.CommandLine.isEmpty()) {
        path = m_state.CommandLine;
    } else if (listModel()->rowCount() > 0) {
        const QString name = entryName(currentEntry());
        if (name.isEmpty())
            return; // nothing selected: nothing to open
        path = (m_folder.endsWith('/') ? m_folder : m_folder + "/") + name;
    }
    if (path.isEmpty())
        return;
    const MediaKind kind = mediaKindOf(ExtensionKey(path));
    // An effect still running on the picture shown before must not land on this one.
    m_keys->pictureReplaced();
    const QFileInfo file(path);
    const QString problem = fileProblem(path);
    if (!problem.isEmpty() || !file.isFile()) {
        // The system's reason goes below the message, for the one who must fix it.
        QMessageBox box(QMessageBox::Critical, "Disk error", "Unable to read file from disk", QMessageBox::Ok, this);
        box.setInformativeText(problem.isEmpty() ? QStringLiteral("Not a regular file") : problem);
        box.exec();
        return;
    }
    switch (kind) {
    case MediaKind::Picture:
        viewer()->showPicture(path);
        break;
    case MediaKind::WebPage:
        showPageBrowserFor(path);
        break;
    case MediaKind::Video:
    case MediaKind::Audio:
    case MediaKind::Flash:
        showPlayerMedia(kind, path);
        break;
    case MediaKind::Text:
        viewer()->showText(path);
        break;
    case MediaKind::Other:
        if (m_options.UnknownAsText)
            viewer()->showText(path);
        break;
    }
}

void frmMain::thumbnailBuild()
{
    if (!m_thumbs) {
        m_thumbs = new ThumbnailBuilder(this);
        m_thumbWait = new frmThumbwait(this);
        connect(this, &frmMain::buildStarted, m_thumbs, [this] {
            m_thumbs->cancel();
            m_thumbWait->hide();
        });
        connect(m_thumbs, &ThumbnailBuilder::itemReady, this,
                [this](int, const QString &name, const QImage &picture) {
                    listModel()->append(name, QPixmap::fromImage(picture));
                });
        connect(m_thumbs, &ThumbnailBuilder::progress, this, [this](int index, int count) {
            m_thumbWait->barThumbs->setValue(index);
            m_thumbWait->lblThumbwait->setText(frmThumbwait::caption(index, count));
        });
        connect(m_thumbs, &ThumbnailBuilder::finished, m_thumbWait, &QWidget::hide);
    }
    listModel()->clear();
    const QStringList &names = lstPics.names();
    QList<ThumbnailEntry> entries;
    entries.reserve(names.size());
    for (const QString &name : names)
        entries.append({name, thumbnailSourceOf(ExtensionKey(name))});
    m_thumbWait->barThumbs->setRange(0, frmThumbwait::barMaximum(names.size()));
    m_thumbWait->barThumbs->setValue(0);
    m_thumbWait->lblThumbwait->setText(frmThumbwait::caption(0, names.size()));
    if (!names.isEmpty())
        m_thumbWait->show();
    m_thumbs->start(m_folder, entries, m_options.ThumbSize);
}

void frmMain::showPlayerMedia(MediaKind kind, const QString &path)
{
    frmMedia *v = viewer();
    if (kind == MediaKind::Video)
        v->showVideo(path);
    else if (kind == MediaKind::Audio)
        v->showAudio(path);
    else
        v->showFlash(path);
}

void frmMain::wirePlayerHooks(ViewerHooks &h)
{
    auto player = [this]() -> MediaPlayerWidget * {
        frmMedia *v = viewer(false);
        return v ? v->mdpMedia : nullptr;
    };
    h.playerVisible = [player] { return player() && player()->isVisible(); };
    h.playerPause = [player] {
        if (player())
            player()->pause();
    };
    h.playerPlay = [player] {
        if (player())
            player()->play();
    };
    h.playerPosition = [player] { return player() ? player()->currentPosition() : 0.0; };
    h.setPlayerPosition = [player](double seconds) {
        if (player())
            player()->setCurrentPosition(seconds);
    };
}

void frmMain::slideTick()
{
    // A message box of an earlier tick is still open: wait for the user.
    if (QApplication::activeModalWidget())
        return;
    const int current = currentEntry();
    const int count = entryCount();
    if (current < count) {
        selectEntry(current + 1);
    } else if (!m_options.LoopSlide || count < 1) {
        if (frmMedia *v = viewer(false))
            v->close(); // the end of the list ends the slide show
        return;
    } else {
        selectEntry(1);
    }
    ShowMedia();
}
