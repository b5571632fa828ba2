#pragma once
#include <QMediaPlayer>
#include <QRectF>
#include <QTimer>

#include "player/ui/PlayerViews.h"

#include "player/PlayEndWatch.h"

#include <functional>

class QAudioOutput;
class QLabel;
class QSlider;
class QToolButton;
class VideoArea;

// The viewer's audio and video player: a picture area over a strip holding
// the control bar (play/pause and a seek slider) and our time display.
//
// Sizing: setDisplaySize() sizes the widget at once from the display size
// (see displaysize::videoArea); with auto-size on, the widget takes the new
// clip's size again once the clip's picture size is known, keeping its
// centre so that a centred player stays centred. The strip is added below
// the picture area, except at Full Screen where the whole widget is the
// screen and the strip is taken from it.
//
// "Switch 1112" is our control bar switch: on, the play/pause button and the
// seek slider are shown; off (full-screen video), only the picture and, if
// asked for, the time display.
// Every notification is delivered from the event loop, never from inside
// the call that caused it, so a listener may delete the player.
//
// The end of a clip is reported once: when the pipeline says so, or when
// PlayEndWatch sees that it is over without that message (which is lost
// now and then on a busy machine).
class MediaPlayerWidget : public MediaPlayerView {
    Q_OBJECT
public:
    explicit MediaPlayerWidget(QWidget *parent = nullptr);
    ~MediaPlayerWidget() override;

    void setShowTiming(bool on) override;
    bool showTiming() const { return m_showTiming; }

    void setDisplaySize(int mode) override;
    int displaySize() const { return m_displaySize; }

    void setAutoSize(bool on) override;
    bool autoSize() const { return m_autoSize; }

    void setSwitch1112(bool on) override;
    bool switch1112() const { return m_switch1112; }

    // Opens a clip (stopping the one before). An empty path closes the clip.
    void setFileName(const QString &path) override;
    QString fileName() const { return m_fileName; }

    void play() override;
    void pause() override;
    void stop();
    bool isPlaying() const;

    // Play position in seconds. Writing a negative value starts from 0.
    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double duration() const;

    // Placement in twips (15 per pixel), relative to the parent.
    void setGeometryTwips(double left, double top, double width, double height) override;
    QRectF geometryTwips() const override;

    // The clip's own picture size; invalid for audio or before it is known.
    QSize clipSize() const { return m_clipSize; }
    // The line shown when the clip cannot be played; empty otherwise.
    QString errorText() const override { return m_errorText; }
    // Height in pixels of the control/time strip as currently configured.
    int stripHeight() const;

    // How long to wait for the backend to open a clip before giving up.
    void setLoadTimeout(int ms) { m_loadTimeoutMs = ms; }

    QMediaPlayer *mediaPlayer() const { return m_player; }

signals:
    // Mouse on the player: button 1 left, 2 right, 4 middle; shift 1 Shift,
    // 2 Ctrl, 4 Alt; x, y in pixels inside the player.
    void mouseDown(int button, int shift, int x, int y);
    void clicked(int button);
    // The clip cannot be played; the same text is shown in the player.
    void errorOccurred(const QString &message);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onStatusChanged(QMediaPlayer::MediaStatus status);
    void reportEnd();
    void watchForEnd();
    void onClipSizeKnown();
    void fail(const QString &message);
    void notify(std::function<void()> signal);
    void showMessage(const QString &text);
    void applyDisplaySize(bool keepCentre);
    void layoutChildren();
    void updateStrip();
    void updateTiming();
    void watchChildren(QObject *root);
    bool handlePress(QMouseEvent *event, QWidget *from);
    bool handleRelease(QMouseEvent *event, QWidget *from);
    QSize screenSize() const;

    QMediaPlayer *m_player;
    QAudioOutput *m_audio;
    VideoArea *m_video;
    QWidget *m_strip;
    QToolButton *m_playButton;
    QSlider *m_seek;
    QLabel *m_timing;
    QLabel *m_message;
    QTimer m_loadWatchdog;
    QTimer m_endTimer;
    PlayEndWatch m_endWatch;

    bool m_showTiming = false;
    bool m_autoSize = true;
    bool m_switch1112 = true;
    int m_displaySize = 0;
    int m_loadTimeoutMs = 15000;
    QSize m_clipSize;
    QString m_fileName;
    QString m_errorText;
    bool m_endReported = false;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
};
