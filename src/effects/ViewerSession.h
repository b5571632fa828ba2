#pragma once
#include "effects/PictureView.h"
#include "viewer/PicturePreloader.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <cstdint>
#include <functional>

class AnimationPlayer;
class QFileSystemWatcher;
class QTimer;
class KeyDispatcher;
class ViewerList;
class ViewerOutputs;
class ViewerPlayer;
struct LoadedPicture;
struct PictureInfo;

// What one viewer window is showing and doing, without the window: the
// picture shown and its place (the only copy: the window draws it, the
// commands change it), the pictures decoded ahead, the key handler, the keys
// waiting their turn and the busy state with its wait cursor.
//
// Busy means a picture is being opened or a command runs; keys pressed
// meanwhile wait and run in order afterwards. While a quick view of a large
// picture stands in, moves run on it and the keys that change pixels wait
// for the whole picture. Esc closes at once. Closing, by
// Esc or any other way, empties the waiting keys and drops what a running
// command would still deliver: nothing typed runs after the viewer is gone.
//
// An animated picture plays once it is in; P pauses and resumes it, and a
// command that changes the picture stops it and works on the frame shown.
// The information panel (I) stays on or off from picture to picture; its
// facts are read on a worker and dropped when the picture changes first.
//
// The file shown can be put in the Trash (the list then shows the next one)
// and a JPEG turned on disk without loss; both run on a worker, keys waiting
// meanwhile. The picture's file is watched: rewritten by someone else, it is
// shown again if no change was made to the picture, else fileChangedOnDisk
// tells so and the picture stays.
class ViewerSession : public QObject {
    Q_OBJECT
public:
    // What the viewer shows; a player's end counts only while it is shown.
    enum class Shown { Nothing, Picture, Text, Video, Audio, Flash };

    // list and outputs may be null (then Space, Backspace, X, print,
    // wallpaper and copy do nothing); they must outlive the session.
    ViewerSession(ViewerList *list, ViewerOutputs *outputs, QObject *parent = nullptr);
    ~ViewerSession() override;

    void setPlayer(ViewerPlayer *player);

    const PictureView &view() const;
    // The screen the picture is centred on, the window it is aligned in,
    // the background of emptied places and the edge threshold.
    void setLayout(QSize screen, QSize window, int32_t bgColour, int16_t edgeTuning);
    // The user dragged the picture there.
    void movePicture(QPoint topLeft);
    // Replaces the picture (a new size is kept where it is).
    void setPicture(const QImage &image);
    void centrePicture();

    // Shows a picture, decoded to the rule's size on a worker: true when it
    // was decoded ahead and is in place already. pictureOpened follows in
    // either case.
    bool showPicture(const QString &path, const PicturePreloader::Rule &rule);
    // Shows something other than a picture (the file at path): stops
    // opening one.
    void showOther(Shown what, const QString &path = QString());
    Shown shown() const { return m_shown; }
    PicturePreloader *pictures() const { return m_pictures; }
    // Decodes these pictures ahead, nearest first, once the shown one is in.
    void preloadPictures(const QStringList &paths);
    void dropPreloaded();

    // Every key pressed in the viewer, Esc included.
    void keyPressed(int16_t keyCode, int16_t shift);

    // Empties the waiting keys, drops the running command's result, stops
    // opening and preloading and lets the picture go.
    void close();

    bool busy() const;
    // The animation of the picture shown (playing or not).
    AnimationPlayer *animation() const { return m_animation; }

    // The most memory the steps of undo may hold (see EffectHistory).
    void setUndoBudget(qint64 bytes);

    bool infoShown() const { return m_infoShown; }
    // The panel's lines for the picture shown; empty while they are read.
    QList<QPair<QString, QString>> infoLines() const { return m_infoLines; }

    // Tests: wait, processing events; false on timeout.
    bool waitForIdle(int timeoutMs);
    bool waitForPicture(int timeoutMs);

signals:
    void pictureChanged();
    // A picture showPicture asked for is in place, or could not be loaded
    // (ok false, error in the system's words: the old picture stays).
    void pictureOpened(const QString &path, bool ok, const QString &error);
    // A key reached the handler (in turn: keys that waited come later).
    void keyRun(int16_t keyCode, int16_t shift);
    void message(const QString &text);
    // Esc: the window should close.
    void closeRequested();
    // The picture's file was rewritten on disk after a change was made to
    // the picture, which is kept as it is.
    void fileChangedOnDisk(const QString &path);
    // The information panel goes on or off, or its lines changed.
    void infoChanged();

private:
    void pictureArrived(const QString &path, const LoadedPicture &loaded);
    void pictureDeveloped(const QString &path, const LoadedPicture &whole);
    // A key that changes pixels waits while a quick view stands in.
    bool waitsForWhole(int16_t keyCode, int16_t shift) const;
    void runWaitingKeys();
    void run(int16_t keyCode, int16_t shift);
    void updateBusy();
    void pictureGone();
    void readInfo();
    void animationFrame(const QImage &frame);
    // Work on the file shown, on a worker; then runs when it is back, live
    // false when the viewer closed meanwhile.
    struct FileWorkDone {
        bool ok = false;
        QString error;
    };
    void startFileWork(std::function<FileWorkDone()> work,
                       std::function<void(const FileWorkDone &, bool live)> then);
    void turnFile(int turn);
    void trashFile();
    void reopen();
    void watch(const QString &path);
    void fileRewritten();

    KeyDispatcher *m_keys = nullptr;
    PicturePreloader *m_pictures = nullptr;
    Shown m_shown = Shown::Nothing;
    QStringList m_neighbours;   // to preload once the picture being opened is in
    QList<QPair<int16_t, int16_t>> m_waiting;
    bool m_cursorSet = false;

    AnimationPlayer *m_animation = nullptr;
    PicturePreloader::Rule m_rule;
    QString m_path;        // of the picture shown
    QString m_file;        // of whatever is shown
    ViewerList *m_list = nullptr;
    bool m_fileBusy = false;
    quint64 m_fileTicket = 0;   // the file work whose result is wanted
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;   // a rewrite is looked at once the writer is done
    QPair<qint64, qint64> m_stamp;   // the shown picture's file when opened: time, size
    QSize m_sourceSize;
    QRect m_previewArea;    // a quick view shown: the part of the picture it shows
    QPoint m_previewPlace;  // where it was put
    QString m_pendingWhole; // the whole picture came while a move ran: its path
    LoadedPicture m_whole;  // and the picture
    bool m_untouched = false;   // no key has run on the picture since it came

    bool m_infoShown = false;
    QList<QPair<QString, QString>> m_infoLines;
    QFutureWatcher<PictureInfo> *m_infoReading = nullptr;
};
