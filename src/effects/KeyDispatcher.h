#pragma once
#include "effects/KeyCommand.h"
#include "effects/EffectHistory.h"
#include "effects/PictureView.h"

#include <QObject>
#include <QString>

template <typename T> class QFutureWatcher;
struct WorkResult;
class ViewerList;
class ViewerOutputs;
class ViewerPlayer;

// The viewer's key handler: decodes a key with its shift state through the
// command table and carries it out on the picture it holds. Work on the
// pixels, saving, printing and the wallpaper run on a worker thread on a copy
// of the picture, so the window stays responsive; until the result is back
// no other command starts and keys are not taken (the viewer session holds
// them). The list, the outputs and the player may be left out: the commands
// that need them then do nothing.
class KeyDispatcher : public QObject {
    Q_OBJECT
public:
    explicit KeyDispatcher(QObject *parent = nullptr);
    ~KeyDispatcher() override;

    void setList(ViewerList *list) { m_list = list; }
    void setOutputs(ViewerOutputs *outputs) { m_outputs = outputs; }
    void setPlayer(ViewerPlayer *player) { m_player = player; }

    // Batch mode and tests: each command finishes before Form_KeyDown returns.
    void setSynchronous(bool on) { m_synchronous = on; }

    const PictureView &view() const { return m_view; }
    // The viewer's own changes (dragging, a resized window). Use setView for a
    // new picture: a command still running then drops its result.
    PictureView &view() { return m_view; }
    void setView(const PictureView &view);
    // The viewer shows another file: a command still running drops its
    // result, and the steps of the last one go.
    void pictureReplaced()
    {
        ++m_generation;
        m_history.clear();
    }
    // Undo and redo (F9, Shift+F9) step through this.
    EffectHistory &history() { return m_history; }
    const EffectHistory &history() const { return m_history; }
    // The viewer closed: a command still running drops its result and
    // reports nothing; busy() is false at once.
    void dropRunning();

    // Ignored while busy().
    void Form_KeyDown(int16_t keyCode, int16_t shift);

    bool busy() const { return m_busy; }
    // Waits (processing events) until no command runs; false on timeout.
    bool waitForIdle(int timeoutMs);

signals:
    // The picture or its place changed.
    void pictureChanged();
    void message(const QString &text);
    // A picture was saved there.
    void saved(const QString &path);
    // Esc.
    void closeRequested();
    // I: the information panel goes on or off.
    void infoToggled();
    // A command ended: busy() is false.
    void commandFinished();

private:
    void start(const KeyCommand &command);
    void finish(const WorkResult &result);
    void nextFile(int delta);
    void tell(const QString &text);
    void step(bool back);

    PictureView m_view;
    ViewerList *m_list = nullptr;
    ViewerOutputs *m_outputs = nullptr;
    ViewerPlayer *m_player = nullptr;
    bool m_synchronous = false;
    bool m_busy = false;
    quint64 m_generation = 0;   // the picture a result belongs to
    quint64 m_epoch = 0;        // the viewer's opening a result belongs to
    QFutureWatcher<WorkResult> *m_watcher = nullptr;
    EffectHistory m_history;
};
