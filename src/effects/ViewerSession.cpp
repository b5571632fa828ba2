#include "effects/ViewerSession.h"

#include "browser/FileOperations.h"
#include "effects/KeyDispatcher.h"
#include "effects/LosslessTurn.h"
#include "effects/ViewerList.h"
#include "viewer/AnimationPlayer.h"
#include "viewer/PictureInfo.h"
#include "viewer/PictureLoader.h"
#include "viewer/ScaleRule.h"
#include "viewer/ThumbnailCache.h"

#include <QCursor>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QRunnable>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

namespace {
// Giving back the memory of a large picture takes the system a while; a
// worker waits for that, not the window. (Other holders of the same picture
// keep it alive as before.)
void releaseElsewhere(QImage &&picture)
{
    if (picture.sizeInBytes() < (qsizetype(16) << 20))
        return;
    QThreadPool::globalInstance()->start(QRunnable::create([picture = std::move(picture)] {}));
}

// Commands that leave the picture's pixels alone do not stop an animation
// (Space and Backspace stop it by showing another file, if there is one).
bool keepsAnimation(KeyAction action)
{
    switch (action) {
    case KeyAction::None: case KeyAction::PauseResume: case KeyAction::Seek: case KeyAction::Pan:
    case KeyAction::NextFile: case KeyAction::PreviousFile:
    case KeyAction::AlignTop: case KeyAction::AlignBottom: case KeyAction::AlignLeft:
    case KeyAction::AlignRight: case KeyAction::ShowInfo:
        return true;
    default:
        return false;
    }
}

QPair<qint64, qint64> stampOf(const QString &path)
{
    const QFileInfo info(path);
    return {info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1, info.size()};
}

// Turns the file, then makes again the shared cache's thumbnails it had:
// they were filed under the old picture (and, turned within the same
// second, would even pass for fresh).
losslessturn::Outcome turnAndRenewThumbnails(const QString &path, losslessturn::Turn turn)
{
    const ThumbnailCache cache(ThumbnailCache::standardRoot());
    QList<int> had;
    for (int edge : {128, 256, 512, 1024})
        if (QFileInfo::exists(cache.entryPath(path, edge)))
            had << edge;
    const losslessturn::Outcome out = losslessturn::turnJpegFile(path, turn);
    if (!out.ok)
        return out;
    for (int edge : had)
        cache.make(path, edge);
    return out;
}
} // namespace

ViewerSession::ViewerSession(ViewerList *list, ViewerOutputs *outputs, QObject *parent)
    : QObject(parent), m_keys(new KeyDispatcher(this)), m_pictures(new PicturePreloader(this)), m_list(list),
      m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    m_keys->setList(list);
    m_keys->setOutputs(outputs);
    connect(m_keys, &KeyDispatcher::pictureChanged, this, &ViewerSession::pictureChanged);
    connect(m_keys, &KeyDispatcher::message, this, &ViewerSession::message);
    connect(m_keys, &KeyDispatcher::closeRequested, this, [this] {
        close();
        emit closeRequested();
    });
    connect(m_keys, &KeyDispatcher::commandFinished, this, [this] {
        updateBusy();
        if (!m_pendingWhole.isEmpty())
            pictureDeveloped(std::exchange(m_pendingWhole, QString()), std::exchange(m_whole, LoadedPicture()));
        runWaitingKeys();
    });
    connect(m_pictures, &PicturePreloader::opened, this, &ViewerSession::pictureArrived);
    connect(m_pictures, &PicturePreloader::developed, this, &ViewerSession::pictureDeveloped);
    connect(m_keys, &KeyDispatcher::infoToggled, this, [this] {
        m_infoShown = !m_infoShown;
        if (m_infoShown && m_infoLines.isEmpty())
            readInfo();
        emit infoChanged();
    });
    m_animation = new AnimationPlayer(this);
    connect(m_animation, &AnimationPlayer::frameShown, this, &ViewerSession::animationFrame);
    m_settle->setSingleShot(true);
    m_settle->setInterval(250);
    connect(m_settle, &QTimer::timeout, this, &ViewerSession::fileRewritten);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this](const QString &path) {
        if (path == m_path)
            m_settle->start();   // again with each write: a writer may take a while
    });
}

ViewerSession::~ViewerSession()
{
    m_keys->dropRunning();
    if (m_cursorSet)
        QGuiApplication::restoreOverrideCursor();
}

void ViewerSession::setPlayer(ViewerPlayer *player)
{
    m_keys->setPlayer(player);
}

const PictureView &ViewerSession::view() const
{
    return m_keys->view();
}

void ViewerSession::setUndoBudget(qint64 bytes)
{
    m_keys->history().setCap(bytes);
}

void ViewerSession::setLayout(QSize screen, QSize window, int32_t bgColour, int16_t edgeTuning)
{
    PictureView &v = m_keys->view();
    v.screen = screen;
    v.window = window;
    v.bgColour = bgColour;
    v.edgeTuning = edgeTuning;
}

void ViewerSession::movePicture(QPoint topLeft)
{
    PictureView &v = m_keys->view();
    v.left = topLeft.x();
    v.top = topLeft.y();
    emit pictureChanged();
}

void ViewerSession::setPicture(const QImage &image)
{
    QImage old = std::exchange(m_keys->view().image, image);
    releaseElsewhere(std::move(old));
    emit pictureChanged();
}

void ViewerSession::centrePicture()
{
    PictureView &v = m_keys->view();
    v.left = (v.screen.width() - v.image.width()) / 2;
    v.top = (v.screen.height() - v.image.height()) / 2;
    emit pictureChanged();
}

void ViewerSession::pictureGone()
{
    m_animation->stop();
    m_path.clear();
    m_previewArea = QRect();
    m_pendingWhole.clear();
    m_whole = LoadedPicture();
    watch(QString());
    if (m_infoReading) {
        m_infoReading->disconnect(this);
        m_infoReading = nullptr;
    }
    if (!m_infoLines.isEmpty()) {
        m_infoLines.clear();
        emit infoChanged();
    }
}

void ViewerSession::readInfo()
{
    if (m_path.isEmpty() || m_infoReading)
        return;
    auto *watcher = new QFutureWatcher<PictureInfo>(this);
    m_infoReading = watcher;
    connect(watcher, &QFutureWatcher<PictureInfo>::finished, this, [this, watcher] {
        m_infoReading = nullptr;
        m_infoLines = pictureInfoLines(watcher->result());
        emit infoChanged();
    });
    // Dropped unread when the picture changes first: pictureGone disconnects it.
    connect(watcher, &QFutureWatcher<PictureInfo>::finished, watcher, &QObject::deleteLater);
    watcher->setFuture(QtConcurrent::run(readPictureInfo, m_path, m_sourceSize));
}

void ViewerSession::animationFrame(const QImage &frame)
{
    if (m_shown != Shown::Picture || busy()) {
        m_animation->stop();
        return;
    }
    setPicture(frame);
}

bool ViewerSession::showPicture(const QString &path, const PicturePreloader::Rule &rule)
{
    pictureGone();
    m_file = path;
    m_rule = rule;
    m_shown = Shown::Picture;
    m_keys->pictureReplaced();
    // The neighbours to decode ahead are those of this picture, given next.
    m_neighbours.clear();
    m_pictures->setRule(rule);
    LoadedPicture ready;
    if (m_pictures->open(path, &ready)) {
        pictureArrived(path, ready);
        return ready.ok();
    }
    updateBusy();
    return false;
}

void ViewerSession::showOther(Shown what, const QString &path)
{
    pictureGone();
    m_file = path;
    m_shown = what;
    m_keys->pictureReplaced();
    if (m_pictures->isOpening()) {
        m_pictures->abandon();
        updateBusy();
        runWaitingKeys();
    }
}

void ViewerSession::pictureArrived(const QString &path, const LoadedPicture &loaded)
{
    if (loaded.ok()) {
        m_keys->pictureReplaced();
        setPicture(loaded.image);
        pictureGone();
        m_path = path;
        watch(path);
        m_sourceSize = loaded.sourceSize;
        m_untouched = true;
        m_previewArea = loaded.preview ? loaded.previewArea : QRect();
        const PicturePreloader::Rule rule = m_rule;
        m_animation->start(path, [rule](const QSize &s) {
            return ScaleRule::scaledSize(s, rule.screen, rule.scaleBig, rule.scaleSmall);
        }, rule.background);
        if (m_infoShown)
            readInfo();
    }
    centrePicture();
    if (loaded.ok() && loaded.preview && loaded.image.size() == loaded.previewArea.size()
        && loaded.image.size() != loaded.sourceSize) {
        // A part at full resolution: where it lies in the picture centred.
        const PictureView &v = m_keys->view();
        movePicture(QPoint((v.screen.width() - m_sourceSize.width()) / 2 + m_previewArea.x(),
                           (v.screen.height() - m_sourceSize.height()) / 2 + m_previewArea.y()));
    }
    if (!m_previewArea.isEmpty())
        m_previewPlace = QPoint(m_keys->view().left, m_keys->view().top);
    updateBusy();
    emit pictureOpened(path, loaded.ok(), loaded.error);
    if (!m_pictures->isOpening()) {
        m_pictures->preload(m_neighbours);
        runWaitingKeys();
    }
}

// A preview gives way to the whole picture unless the user began on it. A
// quick view of a large picture always does (only moves run on it), where
// the user moved it; then the keys that waited for it run.
void ViewerSession::pictureDeveloped(const QString &path, const LoadedPicture &whole)
{
    if (path != m_path || m_shown != Shown::Picture)
        return;
    const bool quick = !m_previewArea.isEmpty();
    if (quick && m_keys->busy()) {
        m_pendingWhole = path;   // once the move running is done
        m_whole = whole;
        return;
    }
    if (!whole.ok()) {
        // Nothing better is coming: the keys run on the quick view.
        m_previewArea = QRect();
        runWaitingKeys();
        return;
    }
    if (busy() || !(m_untouched || quick))
        return;
    const PictureView &v = m_keys->view();
    const QPoint moved = quick ? QPoint(v.left, v.top) - m_previewPlace : QPoint();
    m_previewArea = QRect();
    m_keys->pictureReplaced();
    setPicture(whole.image);
    centrePicture();
    if (!moved.isNull())
        movePicture(QPoint(v.left, v.top) + moved);
    runWaitingKeys();
}

bool ViewerSession::waitsForWhole(int16_t keyCode, int16_t shift) const
{
    return !m_previewArea.isEmpty() && !keepsAnimation(decodeKey(keyCode, shift).action);
}

void ViewerSession::preloadPictures(const QStringList &paths)
{
    m_neighbours = paths;
    // While the user waits for a picture both cores go to it.
    if (!m_pictures->isOpening())
        m_pictures->preload(paths);
}

void ViewerSession::dropPreloaded()
{
    m_neighbours.clear();
    m_pictures->preload({});
}

void ViewerSession::keyPressed(int16_t keyCode, int16_t shift)
{
    // Esc closes at once, also while a picture is opened or a command runs.
    if (decodeKey(keyCode, shift).action == KeyAction::CloseViewer) {
        close();
        emit closeRequested();
        return;
    }
    if (busy() || !m_waiting.isEmpty() || waitsForWhole(keyCode, shift)) {
        if (m_waiting.size() < 64)
            m_waiting.append({keyCode, shift});
        return;
    }
    run(keyCode, shift);
}

void ViewerSession::run(int16_t keyCode, int16_t shift)
{
    m_untouched = false;
    emit keyRun(keyCode, shift);
    if (m_animation->isPlaying()) {
        const KeyAction action = decodeKey(keyCode, shift).action;
        if (action == KeyAction::PauseResume) {
            m_animation->setPaused(!m_animation->isPaused());
            return;
        }
        if (!keepsAnimation(action))
            m_animation->stop();
    }
    const KeyCommand command = decodeKey(keyCode, shift);
    if (command.action == KeyAction::TurnFile)
        turnFile(command.a);
    else if (command.action == KeyAction::TrashFile)
        trashFile();
    else
        m_keys->Form_KeyDown(keyCode, shift);
    updateBusy();
}

void ViewerSession::startFileWork(std::function<FileWorkDone()> work,
                                  std::function<void(const FileWorkDone &, bool)> then)
{
    m_fileBusy = true;
    const quint64 ticket = ++m_fileTicket;
    auto *watcher = new QFutureWatcher<FileWorkDone>(this);
    connect(watcher, &QFutureWatcher<FileWorkDone>::finished, this, [this, watcher, ticket, then] {
        watcher->deleteLater();
        const bool live = ticket == m_fileTicket;
        if (live)
            m_fileBusy = false;
        then(watcher->result(), live);
        if (live) {
            updateBusy();
            runWaitingKeys();
        }
    });
    // Started even if the viewer closes at once: a file operation is never
    // left halfway by the window.
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

void ViewerSession::turnFile(int turn)
{
    if (m_shown != Shown::Picture || m_path.isEmpty())
        return;
    const QString path = m_path;
    startFileWork([path, turn] {
        const losslessturn::Outcome out = turnAndRenewThumbnails(path, losslessturn::Turn(turn));
        return FileWorkDone{out.ok, out.error};
    }, [this, path](const FileWorkDone &done, bool live) {
        if (done.ok && m_list)
            m_list->entryChanged(path);
        if (!live)
            return;
        if (!done.ok)
            emit message(done.error);
        else if (path == m_path)
            reopen();
    });
}

void ViewerSession::trashFile()
{
    if (m_file.isEmpty())
        return;
    const QString path = m_file;
    startFileWork([path] {
        fileops::Trashed record;
        const fileops::Outcome out = fileops::moveToTrash(path, &record);
        return FileWorkDone{out.ok, out.error};
    }, [this, path](const FileWorkDone &done, bool live) {
        if (!done.ok) {
            if (live)
                emit message(done.error);
            return;
        }
        const bool more = m_list && m_list->dropEntry(path);
        if (!live)
            return;
        if (more) {
            m_list->showEntry();
        } else {
            close();
            emit closeRequested();
        }
    });
}

void ViewerSession::reopen()
{
    if (m_path.isEmpty())
        return;
    const QString path = m_path;
    showPicture(path, m_rule);
}

void ViewerSession::watch(const QString &path)
{
    m_settle->stop();
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (path.isEmpty())
        return;
    m_stamp = stampOf(path);
    m_watcher->addPath(path);
}

void ViewerSession::fileRewritten()
{
    if (m_path.isEmpty())
        return;
    if (busy()) {
        m_settle->start();   // looked at once the viewer is done with its own work
        return;
    }
    // A file replaced by renaming another over it is a new file to watch.
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
    const QPair<qint64, qint64> stamp = stampOf(m_path);
    if (stamp == m_stamp || stamp.first < 0)
        return;   // unchanged (our own turn, shown again already) or gone
    m_stamp = stamp;
    if (m_keys->history().canUndo())
        emit fileChangedOnDisk(m_path);
    else
        reopen();
}

void ViewerSession::runWaitingKeys()
{
    while (!m_waiting.isEmpty() && !busy() && !waitsForWhole(m_waiting.first().first, m_waiting.first().second)) {
        const auto [code, shift] = m_waiting.takeFirst();
        run(code, shift);
    }
}

void ViewerSession::close()
{
    m_waiting.clear();
    // File work goes on to its end; what it would show is not wanted.
    ++m_fileTicket;
    m_fileBusy = false;
    m_file.clear();
    m_keys->dropRunning();
    m_neighbours.clear();
    m_pictures->clear();
    pictureGone();
    setPicture(QImage());
    m_shown = Shown::Nothing;
    updateBusy();
}

bool ViewerSession::busy() const
{
    return m_pictures->isOpening() || m_keys->busy() || m_fileBusy;
}

void ViewerSession::updateBusy()
{
    // One wait cursor for the whole viewer, whatever it waits for.
    const bool on = busy() && qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (on == m_cursorSet)
        return;
    m_cursorSet = on;
    if (on)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

bool ViewerSession::waitForIdle(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (busy() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !busy();
}

bool ViewerSession::waitForPicture(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_pictures->isOpening() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !m_pictures->isOpening();
}
