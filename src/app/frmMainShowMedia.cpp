// Opening the current entry, and the thumbnail build.
#include "app/frmMain.h"

#include "browser/ContentKind.h"
#include "browser/FileListModel.h"
#include "core/FileProblem.h"
#include "browser/MediaTypes.h"
#include "viewer/ThumbnailBuilder.h"
#include "viewer/ThumbnailCache.h"
#include "browser/ui/frmFileRead.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <cstdio>

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

void frmMain::showDiskError(const QString &shownName, const QString &problem)
{
    // The file and the system's reason go below the message, for the one who must fix it.
    const QString detail = QStringLiteral("\"%1\": %2").arg(shownName, problem);
    std::fprintf(stderr, "glintwave: cannot read %s\n", detail.toLocal8Bit().constData());
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Critical, "Disk error", "Unable to read file from disk", QMessageBox::Ok, this);
    box.setInformativeText(detail);
    box.exec();
}

void frmMain::ShowMedia()
{
    // The file: the command line's, else the current entry of the active view.
    // It is opened through its bytes: a name that is not valid UTF-8 has no
    // text that reaches it.
    QByteArray raw;
    if (!m_state.CommandLine.isEmpty() || !m_state.CommandLineBytes.isEmpty()) {
        raw = m_state.CommandLineBytes.isEmpty() ? RawPath::fromText(m_state.CommandLine)
                                                 : m_state.CommandLineBytes;
    } else if (listModel()->rowCount() > 0) {
        const QByteArray name = entryRawName(currentEntry());
        if (name.isEmpty())
            return; // nothing selected: nothing to open
        raw = RawPath::join(RawPath::fromText(m_folder), name);
    }
    if (raw.isEmpty())
        return;
    OpenedPath opened(raw);
    const QString path = opened.path();
    const QString shown = opened.display();
    // By name, or by content where the name says text or nothing known.
    const MediaKind kind = ContentKind::mediaKindOfFile(shown, path);
    const QFileInfo file(path);
    const QString problem = fileProblem(path);
    if (path.isEmpty() || !problem.isEmpty() || !file.isFile()) {
        showDiskError(shown, problem.isEmpty() ? QStringLiteral("Not a regular file") : problem);
        return;
    }
    // The player reads on while the clip plays: the file stays open until
    // the next one is shown.
    m_shownFile = std::move(opened);
    switch (kind) {
    case MediaKind::Picture:
        viewer()->showPicture(path);
        viewer()->preloadPictures(neighbourPictures());
        break;
    case MediaKind::WebPage:
        showPageBrowserFor(path);
        break;
    case MediaKind::Video:
    case MediaKind::Audio:
    case MediaKind::Flash:
        showPlayerMedia(kind, path, shown);
        break;
    case MediaKind::Text:
        viewer()->showText(path, shown);
        break;
    case MediaKind::Other:
        if (m_options.UnknownAsText)
            viewer()->showText(path, shown);
        break;
    }
}

QStringList frmMain::neighbourPictures() const
{
    // Where Space and Backspace lead from the current entry: the next first.
    QStringList paths;
    if (!m_state.CommandLine.isEmpty())
        return paths;
    const int current = currentEntry();
    const QString folder = m_folder.endsWith('/') ? m_folder : m_folder + "/";
    for (int number : {current + 1, current - 1}) {
        if (number < 1 || number > entryCount())
            continue;
        const QString name = entryName(number);
        if (!name.isEmpty() && mediaKindOf(ExtensionKey(name)) == MediaKind::Picture)
            paths << folder + name;
    }
    return paths;
}

ThumbnailBuilder *frmMain::newThumbnailBuilder()
{
    auto *builder = new ThumbnailBuilder(this);
    // The desktop's shared cache: a folder seen before, here or in a
    // file manager, fills without decoding its pictures again.
    builder->setCache(std::make_shared<ThumbnailCache>(ThumbnailCache::standardRoot()));
    builder->setClassifier([](const QString &name, const QString &path) {
        return ContentKind::thumbnailSourceOfFile(name, path);
    });
    return builder;
}

ThumbnailEntry frmMain::thumbnailEntry(const QString &name, const QByteArray &raw)
{
    // A name that says nothing is looked into on the builder's workers.
    return {name,
            ContentKind::knownByName(name) ? thumbnailSourceOf(ExtensionKey(name)) : ThumbnailEntry::LookInside,
            raw};
}

void frmMain::thumbnailBuild()
{
    if (!m_thumbs) {
        m_thumbs = newThumbnailBuilder();
        m_thumbWait = new frmThumbwait(this);
        connect(this, &frmMain::buildStarted, m_thumbs, [this] {
            m_thumbs->cancel();
            m_thumbWait->hide();
        });
        connect(m_thumbs, &ThumbnailBuilder::itemReady, this,
                [this](int index, const QString &name, const PackedImage &picture) {
                    const QByteArray raw = m_thumbs->entry(index).raw;
                    if (m_goneSinceBuild.contains(raw))
                        return;   // removed from the folder while it was decoded
                    // In list order, so almost always last; a file the
                    // folder's changes placed first is given its picture.
                    FileListModel *model = listModel();
                    const int last = model->rowCount() - 1;
                    if (last < 0 || FileListing::before(model->names()[last], model->rawNames()[last], name, raw))
                        model->append(name, raw, picture);
                    else
                        model->place(name, raw, picture);
                });
        connect(m_thumbs, &ThumbnailBuilder::progress, this, [this](int index, int count) {
            m_thumbWait->barThumbs->setValue(index);
            m_thumbWait->lblThumbwait->setText(frmThumbwait::caption(index, count));
        });
        connect(m_thumbs, &ThumbnailBuilder::finished, m_thumbWait, &QWidget::hide);
    }
    listModel()->clear();
    const QStringList &names = lstPics.names();
    const QList<QByteArray> &raw = lstPics.rawNames();
    QList<ThumbnailEntry> entries;
    entries.reserve(names.size());
    for (int i = 0; i < names.size(); ++i)
        entries.append(thumbnailEntry(names[i], raw.value(i)));
    m_thumbWait->barThumbs->setRange(0, frmThumbwait::barMaximum(names.size()));
    m_thumbWait->barThumbs->setValue(0);
    m_thumbWait->lblThumbwait->setText(frmThumbwait::caption(0, names.size()));
    if (!names.isEmpty())
        m_thumbWait->show();
    m_thumbs->start(m_folder, entries, int(m_options.ThumbSize));
}

void frmMain::showPlayerMedia(MediaKind kind, const QString &path, const QString &shown)
{
    frmMedia *v = viewer();
    if (kind == MediaKind::Video)
        v->showVideo(path);
    else if (kind == MediaKind::Audio)
        v->showAudio(path, shown);
    else
        v->showFlash(path);
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
