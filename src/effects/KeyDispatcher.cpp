#include "effects/KeyDispatcher.h"

#include "effects/PictureCommands.h"
#include "effects/PictureSave.h"
#include "effects/ViewerList.h"
#include "effects/ViewerOutputs.h"
#include "effects/ViewerPlayer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QtConcurrent/qtconcurrenttask.h>

struct WorkResult {
    KeyCommand command;
    quint64 generation = 0;
    quint64 epoch = 0;
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

KeyDispatcher::~KeyDispatcher() = default;

void KeyDispatcher::setView(const PictureView &view)
{
    m_view = view;
    pictureReplaced();
}

void KeyDispatcher::dropRunning()
{
    // The worker finishes on its own; whatever it brings is thrown away, and
    // the next command may start at once.
    ++m_generation;
    ++m_epoch;
    m_busy = false;
}

void KeyDispatcher::tell(const QString &text)
{
    if (!text.isEmpty())
        emit message(text);
}

void KeyDispatcher::nextFile(int delta)
{
    if (!m_list)
        return;
    const int pos = m_list->currentEntry();
    // The list does not wrap at either end.
    if (delta > 0 && pos < m_list->entryCount()) {
        m_list->selectEntry(pos + 1);
        m_list->showEntry();
    } else if (delta < 0 && pos > 1) {
        m_list->selectEntry(pos - 1);
        m_list->showEntry();
    }
}

void KeyDispatcher::Form_KeyDown(int16_t keyCode, int16_t shift)
{
    if (m_busy)
        return;
    const KeyCommand k = decodeKey(keyCode, shift);
    switch (k.action) {
    case KeyAction::None:
        return;
    case KeyAction::CloseViewer:
        emit closeRequested();
        return;
    case KeyAction::NextFile:
        nextFile(+1);
        return;
    case KeyAction::PreviousFile:
        nextFile(-1);
        return;
    case KeyAction::ShowInfo:
        emit infoToggled();
        return;
    case KeyAction::PauseResume:
        if (m_player && m_player->playerShown())
            m_player->togglePaused();
        return;
    case KeyAction::Seek:
        if (m_player) {
            const double pos = m_player->position() + k.a;
            m_player->setPosition(pos < 0 ? 0 : pos);
        }
        return;
    case KeyAction::Undo:
        step(true);
        return;
    case KeyAction::Redo:
        step(false);
        return;
    case KeyAction::Copy:
        if (!m_view.image.isNull() && m_outputs)
            m_outputs->copyPicture(m_view.image);
        return;
    default:
        break;
    }
    if (isPictureCommand(k.action) && !isPixelCommand(k.action)) {
        applyPictureCommand(m_view, k); // only moves the picture: instant
        emit pictureChanged();
        emit commandFinished();
        return;
    }
    start(k);
}

void KeyDispatcher::step(bool back)
{
    if (back ? !m_history.canUndo() : !m_history.canRedo())
        return;
    const EffectHistory::Step shown{m_view.image, m_view.left, m_view.top};
    const EffectHistory::Step s = back ? m_history.undo(shown) : m_history.redo(shown);
    m_view.image = s.image;
    m_view.left = s.left;
    m_view.top = s.top;
    emit pictureChanged();
}

void KeyDispatcher::start(const KeyCommand &k)
{
    Job job;
    const PictureView view = m_view;
    const quint64 generation = m_generation, epoch = m_epoch;
    if (isPixelCommand(k.action)) {
        job = [k, view, generation, epoch] {
            WorkResult r{k, generation, epoch, view, {}, {}, {}};
            r.outcome = applyPictureCommand(r.view, k);
            return r;
        };
    } else if (k.action == KeyAction::Save) {
        const QString folder = m_list ? m_list->saveFolder() : QString();
        job = [k, view, generation, epoch, folder] {
            WorkResult r{k, generation, epoch, {}, {}, {}, {}};
            r.output = SavePic(view.image, folder);
            return r;
        };
    } else if (k.action == KeyAction::Print || k.action == KeyAction::Wallpaper) {
        QString why;
        OutputJob output;
        if (m_outputs && k.action == KeyAction::Print)
            output = m_outputs->preparePrint(view.image, int16_t(k.a), &why);
        else if (m_outputs)
            output = m_outputs->prepareWallpaper(view.image, &why);
        if (!output) {
            tell(why);
            return;
        }
        job = [k, generation, epoch, output] {
            WorkResult r{k, generation, epoch, {}, {}, {}, {}};
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
    // The global pool, which the program waits for when it ends; ahead of
    // other queued work, since the user is waiting for this.
    m_watcher->setFuture(QtConcurrent::task(std::move(job)).withPriority(1).spawn());
}

void KeyDispatcher::finish(const WorkResult &r)
{
    // The viewer closed meanwhile: nothing of this command is wanted.
    if (r.epoch != m_epoch)
        return;
    m_busy = false;
    const KeyAction a = r.command.action;
    if (isPixelCommand(a)) {
        // A picture loaded meanwhile wins over the result made from the old one.
        if (r.generation == m_generation && r.outcome.message.isEmpty()) {
            // Zoom, fit and stretch resample the pixels here, so they are
            // steps too; only moving the picture is not.
            if (r.view.image.constBits() != m_view.image.constBits() || r.view.image.size() != m_view.image.size())
                m_history.recordBefore({m_view.image, m_view.left, m_view.top});
            m_view.image = r.view.image;
            m_view.left = r.view.left;
            m_view.top = r.view.top;
            emit pictureChanged();
        }
        tell(r.outcome.message);
    } else if (a == KeyAction::Save) {
        if (r.output.ok)
            emit saved(r.output.path);
        tell(r.output.error);
    } else if (a == KeyAction::Print || a == KeyAction::Wallpaper) {
        tell(r.outputMessage);
    }
    emit commandFinished();
}

bool KeyDispatcher::waitForIdle(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_busy && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !m_busy;
}
