#pragma once
#include <QRectF>
#include <QString>
#include <QWidget>

// The viewer's two players as the viewer window sees them. The players
// themselves (Qt Multimedia, and Ruffle in a web view) are made by a
// PlayerMaker, so that the program can load them only when a clip or a
// movie is first shown.

class MediaPlayerView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void setShowTiming(bool on) = 0;
    virtual void setDisplaySize(int mode) = 0;
    virtual void setAutoSize(bool on) = 0;
    virtual void setSwitch1112(bool on) = 0;
    // Opens a clip (stopping the one before). An empty path closes the clip.
    virtual void setFileName(const QString &path) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    // Play position in seconds. Writing a negative value starts from 0.
    virtual double currentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;
    // Placement in twips (15 per pixel), relative to the parent.
    virtual void setGeometryTwips(double left, double top, double width, double height) = 0;
    virtual QRectF geometryTwips() const = 0;
    // The line shown when the clip cannot be played; empty otherwise.
    virtual QString errorText() const = 0;

signals:
    // The clip played to its end. result is 0 (the only end we report).
    void endOfStream(int result);
    void leftButtonPressed();
};

class FlashPlayerView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Loads and plays a movie; an empty path unloads it.
    virtual void setMovie(const QString &path) = 0;
    virtual QString errorText() const = 0;

signals:
    // The movie stopped on its last frame (see FlashPlayerWidget).
    void movieFinished();
};

class PlayerMaker {
public:
    virtual ~PlayerMaker() = default;
    // Null when the players cannot be loaded; problem() then says why.
    virtual MediaPlayerView *newMediaPlayer(QWidget *parent) = 0;
    virtual FlashPlayerView *newFlashPlayer(QWidget *parent) = 0;
    virtual QString problem() const = 0;
};
