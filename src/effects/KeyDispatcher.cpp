#include "effects/KeyDispatcher.h"

#include "effects/PictureCommands.h"
#include "effects/PictureSave.h"

#include <QDeadlineTimer>
#include <QFutureWatcher>
#include <QCursor>
#include <QGuiApplication>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <QtConcurrent/qtconcurrenttask.h>

struct WorkResult {
    KeyCommand command;
    quint64 generation = 0;
    PictureView view;
    CommandOutcome outcome;
    OutputResult output;      // Save
    QString outputMessage;    // Print and Wallpaper
};
Q_DECLARE_METATYPE(WorkResult)

namespace {
using Job = std::function<WorkResult()>;
} // namespace

KeyDispatcher::KeyDispatcher(QObject *parent)
    : QObject(parent), m_watcher(new QFutureWatcher<WorkResult>(this))
{
    connect(m_watcher, &QFutureWatcher<WorkResult>::finished, this, [this] {
        if (m_watcher->future().resultCount() > 0)
            finish(m_watcher->result());
    });
}

KeyDispatcher::~KeyDispatcher()
{
    if (m_cursorSet)
        QGuiApplication::restoreOverrideCursor();
}

void KeyDispatcher::setView(const PictureView &view)
{
    m_view = view;
    ++m_generation;
}

void KeyDispatcher::message(const QString &text)
{
    if (!text.isEmpty() && m_hooks.showMessage)
        m_hooks.showMessage(text);
}

void KeyDispatcher::nextFile(int delta)
{
    if (!m_hooks.currentEntry || !m_hooks.entryCount || !m_hooks.selectEntry || !m_hooks.showMedia)
        return;
    const int pos = m_hooks.currentEntry();
    // The list does not wrap at either end.
    if (delta > 0 && pos < m_hooks.entryCount()) {
        m_hooks.selectEntry(pos + 1);
        m_hooks.showMedia();
    } else if (delta < 0 && pos > 1) {
        m_hooks.selectEntry(pos - 1);
        m_hooks.showMedia();
    }
}

void KeyDispatcher::Form_KeyDown(int16_t keyCode, int16_t shift)
{
    const KeyCommand k = decodeKey(keyCode, shift);
    if (m_busy) {
        // Esc closes at once and drops what waits; other keys wait their turn.
        if (k.action == KeyAction::CloseViewer) {
            m_waiting.clear();
            if (m_hooks.closeViewer)
                m_hooks.closeViewer();
        } else if (k.action != KeyAction::None && m_waiting.size() < 64) {
            m_waiting.append({keyCode, shift});
        }
        return;
    }
    switch (k.action) {
    case KeyAction::None:
        return;
    case KeyAction::CloseViewer:
        if (m_hooks.closeViewer)
            m_hooks.closeViewer();
        return;
    case KeyAction::NextFile:
        nextFile(+1);
        return;
    case KeyAction::PreviousFile:
        nextFile(-1);
        return;
    case KeyAction::PauseResume:
        if (m_hooks.playerVisible && m_hooks.playerVisible() && m_hooks.togglePaused) {
            const bool paused = m_hooks.togglePaused();
            if (paused && m_hooks.playerPause)
                m_hooks.playerPause();
            else if (!paused && m_hooks.playerPlay)
                m_hooks.playerPlay();
        }
        return;
    case KeyAction::Seek:
        if (m_hooks.playerPosition && m_hooks.setPlayerPosition) {
            const double pos = m_hooks.playerPosition() + k.a;
            m_hooks.setPlayerPosition(pos < 0 ? 0 : pos);
        }
        return;
    case KeyAction::Copy:
        if (!m_view.image.isNull() && m_hooks.copyPicture)
            m_hooks.copyPicture(m_view.image);
        return;
    default:
        break;
    }
    if (isPictureCommand(k.action) && !isPixelCommand(k.action)) {
        applyPictureCommand(m_view, k); // only moves the picture: instant
        if (m_hooks.pictureChanged)
            m_hooks.pictureChanged();
        emit commandFinished();
        return;
    }
    start(k);
}

void KeyDispatcher::start(const KeyCommand &k)
{
    Job job;
    const PictureView view = m_view;
    const quint64 generation = m_generation;
    if (isPixelCommand(k.action)) {
        job = [k, view, generation] {
            WorkResult r{k, generation, view, {}, {}, {}};
            r.outcome = applyPictureCommand(r.view, k);
            return r;
        };
    } else if (k.action == KeyAction::Save) {
        const QString folder = m_hooks.saveFolder ? m_hooks.saveFolder() : QString();
        job = [k, view, generation, folder] {
            WorkResult r{k, generation, {}, {}, {}, {}};
            r.output = SavePic(view.image, folder);
            return r;
        };
    } else if (k.action == KeyAction::Print || k.action == KeyAction::Wallpaper) {
        QString why;
        OutputJob output;
        if (k.action == KeyAction::Print && m_hooks.preparePrint)
            output = m_hooks.preparePrint(view.image, int16_t(k.a), &why);
        else if (k.action == KeyAction::Wallpaper && m_hooks.prepareWallpaper)
            output = m_hooks.prepareWallpaper(view.image, &why);
        if (!output) {
            message(why);
            return;
        }
        job = [k, generation, output] {
            WorkResult r{k, generation, {}, {}, {}, {}};
            r.outputMessage = output();
            return r;
        };
    } else {
        return;
    }

    m_busy = true;
    if (m_synchronous) {
        finish(job());
        return;
    }
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_cursorSet = true;
    }
    // The global pool, which the program waits for when it ends; ahead of
    // other queued work, since the user is waiting for this.
    m_watcher->setFuture(QtConcurrent::task(std::move(job)).withPriority(1).spawn());
}

void KeyDispatcher::finish(const WorkResult &r)
{
    if (m_cursorSet) {
        QGuiApplication::restoreOverrideCursor();
        m_cursorSet = false;
    }
    m_busy = false;
    const KeyAction a = r.command.action;
    if (isPixelCommand(a)) {
        // A picture loaded meanwhile wins over the result made from the old one.
        if (r.generation == m_generation && r.outcome.message.isEmpty()) {
            m_view.image = r.view.image;
            m_view.left = r.view.left;
            m_view.top = r.view.top;
            if (m_hooks.pictureChanged)
                m_hooks.pictureChanged();
        }
        message(r.outcome.message);
    } else if (a == KeyAction::Save) {
        if (r.output.ok && m_hooks.saved)
            m_hooks.saved(r.output.path);
        message(r.output.error);
    } else if (a == KeyAction::Print || a == KeyAction::Wallpaper) {
        message(r.outputMessage);
    }
    emit commandFinished();
    if (!m_waiting.isEmpty() && !m_busy) {
        const auto [code, shift] = m_waiting.takeFirst();
        if (m_hooks.refreshView)
            m_hooks.refreshView();
        Form_KeyDown(code, shift);
    }
}

bool KeyDispatcher::waitForIdle(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_busy && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !m_busy;
}
