#pragma once
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

class FlashPlayerWidget;
class MediaPlayerWidget;
class PictureBox;
class QLabel;
class QListView;
class QStringListModel;
class QTimer;

// The viewer window: covers the primary screen, magenta-to-black background,
// the picture area picMedia, the work area picSpare, the text list lstMedia,
// the "Now playing" label lblWave and the slide show timer. Created on first
// use and destroyed when it closes.
class frmMedia : public QWidget {
    Q_OBJECT
public:
    // The viewer window; created when create is true and none exists.
    static frmMedia *viewer(bool create = true);

    explicit frmMedia(QWidget *parent = nullptr);
    ~frmMedia() override;

    // Controls.
    PictureBox *picMedia = nullptr;
    QImage picSpare;                  // work area; empty between effects
    QListView *lstMedia = nullptr;
    QStringListModel *lstMediaModel = nullptr;
    QLabel *lblWave = nullptr;
    QTimer *tmrSlideshow = nullptr;
    // The players exist from their first use on; they are hidden, not
    // stopped, when a picture or text is shown.
    MediaPlayerWidget *mdpMedia = nullptr;
    FlashPlayerWidget *swfMedia = nullptr;
    MediaPlayerWidget *mediaPlayer();
    FlashPlayerWidget *flashPlayer();

    // Loads the picture scaled to the screen as the ScaleBig / ScaleSmall
    // options say, centres it, starts the slide timer while a slide show
    // runs, and shows the window. A picture that cannot be loaded leaves the
    // area as it was (centred) and returns false.
    bool showPicture(const QString &path);

    // Shows a text file as a list: the path, an empty line, then its lines,
    // in the TextFont options' font. A second text file replaces the lines.
    // Returns false when the file could not be read (path and empty line are
    // still shown).
    bool showText(const QString &path);

    // A video in the media player: timing display, display size and place
    // from the options, then plays.
    void showVideo(const QString &path);
    // Audio: "Now playing" and the path in the middle, the player docked
    // along the bottom of the screen.
    void showAudio(const QString &path);
    // A Flash movie on the whole screen less a 5-pixel margin.
    void showFlash(const QString &path);

    // Hides the picture, the text list, the label and the players.
    void hideAllControls();

    // Fits picMedia's picture to the screen (ScaleBig / ScaleSmall) through
    // picSpare, which is left empty.
    void scaleIt();

    // Centres picMedia on the screen.
    void centrePicture();

    // Size of the screen the viewer covers, in pixels.
    QSize screenSize() const;

    // Every key pressed while the viewer is the active window arrives here,
    // whichever control has the focus. Escape closes the viewer; every other
    // key goes to the installed key handler.
    void Form_KeyDown(int16_t &KeyCode, int16_t &Shift);

    // Hooks the main window installs once; they outlive the window.
    using KeyHandler = std::function<void(int16_t &KeyCode, int16_t &Shift)>;
    using PopupHook = std::function<void(const QPoint &globalPos)>;
    using TickHandler = std::function<void()>;
    static void setKeyHandler(KeyHandler handler);
    static void setPopupHook(PopupHook hook);
    static void setSlideTickHandler(TickHandler handler);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void clipEnded();
    void startSlideTimer();
    void hidePlayers();
    QSizeF screenTwips() const;
    void coverScreen();
    void showViewer();
    void popup(const QPoint &globalPos);

    bool m_dragging = false;
};
