#pragma once
#include "effects/ViewerPlayer.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <cstdint>

struct AppState;
class FlashPlayerView;
class MediaPlayerView;
class PictureBox;
class PlayerMaker;
class PicturePreloader;
class QLabel;
class QListView;
class QStringListModel;
class QTimer;
struct OptionSet;
class ViewerList;
class ViewerOutputs;
class ViewerSession;

// The viewer window: full screen on the screen it is given (setScreen; the
// main window's), magenta-to-black background,
// the picture area picMedia, the work area picSpare, the text list lstMedia,
// the "Now playing" label lblWave and the slide show timer. Destroyed when it
// closes. It reads the options and the slide show flags it is given. Its
// session (ViewerSession) holds the picture it draws and takes every key;
// the list the keys step through and the desktop's outputs are handed in
// (either may be null), and so is what makes the players (without it,
// clips and movies are refused with a line naming the file). What the pop-up menu and the slide timer do is up to
// whoever connects to its signals.
class frmMedia : public QWidget, private ViewerPlayer {
    Q_OBJECT
public:
    frmMedia(const OptionSet &options, AppState &state, ViewerList *list = nullptr,
             ViewerOutputs *outputs = nullptr, PlayerMaker *players = nullptr, QWidget *parent = nullptr);
    ~frmMedia() override;

    ViewerSession *session() const { return m_session; }

    // Controls.
    PictureBox *picMedia = nullptr;
    QImage picSpare;                  // work area; empty between effects
    QListView *lstMedia = nullptr;
    QStringListModel *lstMediaModel = nullptr;
    QLabel *lblWave = nullptr;
    // A line at the top of the screen naming a picture that could not be
    // shown, and why.
    QLabel *lblProblem = nullptr;
    // The information panel (I): what the file and the camera say about the
    // picture shown, in a corner over it.
    QLabel *lblInfo = nullptr;
    // A line over the picture saying that its file changed on disk after
    // the picture was changed here.
    QLabel *lblChanged = nullptr;
    QTimer *tmrSlideshow = nullptr;
    // The players exist from their first use on; they are hidden, not
    // stopped, when a picture or text is shown.
    // Null when no player can be made.
    MediaPlayerView *mdpMedia = nullptr;
    FlashPlayerView *swfMedia = nullptr;
    MediaPlayerView *mediaPlayer();
    FlashPlayerView *flashPlayer();

    // Shows the picture scaled to the screen as the ScaleBig / ScaleSmall
    // options say, centred, starts the slide timer while a slide show runs,
    // and shows the window. The picture is decoded on a worker: a preloaded
    // one is shown before this returns (true); otherwise the window shows
    // at once with the wait cursor and the picture follows (pictureShown).
    // Meanwhile keys wait their turn and Esc closes at once. A picture that
    // cannot be loaded leaves the area as it was (centred) and shows
    // lblProblem, naming the file and the reason.
    bool showPicture(const QString &path);
    // Decodes these pictures (the entries next to the shown one, nearest
    // first) ahead, once the shown picture is in; drops other preloads.
    void preloadPictures(const QStringList &paths);
    // Drops the preloaded pictures (the folder changed).
    void dropPreloaded();
    PicturePreloader *pictures() const;
    // Tests: waits, processing events, until no picture is being opened.
    bool waitForPicture(int timeoutMs = 10000);

    // Shows a text file as a list: the path and an empty line at once, then
    // the lines of its start (TextLines) when a worker has read them
    // (textShown), in the TextFont options' font. A second text file
    // replaces the lines.
    // shownAs: the path as the user knows it, when path reaches the file
    // another way (a name that is not valid UTF-8); empty: path itself.
    void showText(const QString &path, const QString &shownAs = QString());

    // A video in the media player: timing display, display size and place
    // from the options, then plays.
    void showVideo(const QString &path);
    // Audio: "Now playing" and the path in the middle, the player docked
    // along the bottom of the screen.
    void showAudio(const QString &path, const QString &shownAs = QString());
    // A Flash movie on the whole screen less a 5-pixel margin.
    void showFlash(const QString &path);

    // Hides the picture, the text list, the label and the players.
    void hideAllControls();

    // Fits the shown picture to the screen (ScaleBig / ScaleSmall) through
    // picSpare, which is left empty.
    void scaleIt();

    // Centres picMedia on the screen.
    void centrePicture();

    // Size of the screen the viewer covers, in logical pixels.
    QSize screenSize() const;
    // The same in the screen's own pixels: pictures are laid out in these,
    // so that one picture pixel is one screen pixel whatever the desktop's scale.
    QSize screenPixels() const;

    // Every key pressed while the viewer is the active window arrives here,
    // whichever control has the focus, and goes to the session.
    void Form_KeyDown(int16_t KeyCode, int16_t Shift);

signals:
    // A key other than Escape reached the key handler, in turn (a key
    // pressed while the viewer was busy comes when it runs).
    void keyDown(int16_t keyCode, int16_t shift);
    // The right button was pressed there: time for the Effects menu.
    void popupRequested(const QPoint &globalPos);
    // The slide show moves on: the timer fired, or a clip ended during a show.
    void slideTick();
    // A picture showPicture asked for is in place (ok false: it could not
    // be loaded and the area kept what it had).
    void pictureShown(const QString &path, bool ok);
    // The lines of the text file showText asked for are in the list (ok
    // false: the file could not be read; the path and empty line stay).
    void textShown(const QString &shownAs, bool ok);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    // Down: the next file, up: the one before, as Space and Backspace.
    void wheelEvent(QWheelEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // ViewerPlayer: the media player for P, full stop and comma.
    bool playerShown() const override;
    void togglePaused() override;
    double position() const override;
    void setPosition(double seconds) override;

    void clipEnded();
    void movieEnded();
    void drawPicture();
    void layoutSession();
    void startSlideTimer();
    void hidePlayers();
    QSizeF screenTwips() const;
    void coverScreen();
    void showViewer();
    void popup(const QPoint &globalPos);
    void pictureOpened(const QString &path, bool ok, const QString &error);
    // The line naming a file that cannot be shown, and why.
    void showProblem(const QString &path, const QString &error);
    // Shows the viewer with that line for a clip or movie without a player.
    void refuseWithoutPlayer(const QString &path);
    void updateInfo();

    const OptionSet &m_options;
    AppState &m_state;
    PlayerMaker *m_players;
    bool m_dragging = false;
    QPoint m_dragGrab;     // where the picture was grabbed, in the window
    QPoint m_dragStart;    // the picture's place then, in screen pixels
    ViewerSession *m_session = nullptr;
    quint64 m_textTicket = 0;   // the text file read last asked for
    int m_wheel = 0;            // turned so far towards the next notch (120 a notch)
};
