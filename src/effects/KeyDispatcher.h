#pragma once
#include "effects/KeyCommand.h"
#include "effects/PictureView.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <functional>
#include <memory>

template <typename T> class QFutureWatcher;
struct WorkResult;

// An output prepared on the window's thread that runs on a worker: returns
// what to tell the user, or nothing when it went well.
using OutputJob = std::function<QString()>;

// What the viewer window supplies to the key handler. Any hook may be left
// empty: the commands that need it then do nothing.
struct ViewerHooks {
    std::function<void()> closeViewer;               // Esc
    std::function<int()> currentEntry;               // position in the active view, from 1 (0: none)
    std::function<int()> entryCount;                 // entries the active view holds
    std::function<void(int)> selectEntry;            // make that entry current
    std::function<void()> showMedia;                 // the main window's ShowMedia
    std::function<bool()> playerVisible;
    std::function<bool()> togglePaused;              // flips the pause flag, returns the new one
    std::function<void()> playerPause;
    std::function<void()> playerPlay;
    std::function<double()> playerPosition;          // seconds
    std::function<void(double)> setPlayerPosition;
    std::function<QString()> saveFolder;             // the main window's folder
    std::function<void()> pictureChanged;            // the picture or its place changed
    std::function<void(const QString &)> showMessage;
    std::function<void(const QString &)> saved;      // a picture was saved there
    std::function<void()> refreshView;               // before a waiting key runs: take the shown picture
    std::function<void(const QImage &)> copyPicture; // to the clipboard
    // Print (shift: the key's shift state) and wallpaper: empty job with *why
    // set when it cannot be done.
    std::function<OutputJob(const QImage &, int16_t shift, QString *why)> preparePrint;
    std::function<OutputJob(const QImage &, QString *why)> prepareWallpaper;
};

// The viewer's key handler: decodes a key with its shift state through the
// command table and carries it out. Work on the pixels, saving, printing and
// the wallpaper run on a worker thread on a copy of the picture, so the
// window stays responsive; until the result is back no other command starts:
// keys pressed meanwhile wait and run in order afterwards (Esc closes at once).
// The main window wires it to the viewer (frmMainViewer.cpp).
class KeyDispatcher : public QObject {
    Q_OBJECT
public:
    explicit KeyDispatcher(QObject *parent = nullptr);
    ~KeyDispatcher() override;

    ViewerHooks &hooks() { return m_hooks; }

    // Batch mode and tests: each command finishes before Form_KeyDown returns.
    void setSynchronous(bool on) { m_synchronous = on; }

    const PictureView &view() const { return m_view; }
    // The viewer's own changes (dragging, a resized window). Use setView for a
    // new picture: a command still running then drops its result.
    PictureView &view() { return m_view; }
    void setView(const PictureView &view);
    // The viewer shows another picture: a command still running drops its result.
    void pictureReplaced() { ++m_generation; }

    void Form_KeyDown(int16_t keyCode, int16_t shift);

    bool busy() const { return m_busy; }
    // Waits (processing events) until no command runs; false on timeout.
    bool waitForIdle(int timeoutMs);

signals:
    void commandFinished();

private:
    void start(const KeyCommand &command);
    void finish(const WorkResult &result);
    void nextFile(int delta);
    void message(const QString &text);

    PictureView m_view;
    ViewerHooks m_hooks;
    bool m_synchronous = false;
    bool m_busy = false;
    bool m_cursorSet = false;
    quint64 m_generation = 0;
    // Keys pressed while a command runs wait here and run in order after it.
    QList<QPair<int16_t, int16_t>> m_waiting;
    QFutureWatcher<WorkResult> *m_watcher = nullptr;
};
