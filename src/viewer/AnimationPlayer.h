#pragma once
#include <QColor>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

// Plays an animated picture whose first frame the viewer shows already:
// each frame for its own delay, as many times as the file asks. Frames are
// decoded on a worker one ahead of the one shown, scaled by the viewer's
// rule and laid on its background, so that at most the frame shown, the one
// after it and the reader's canvas are in memory whatever the length.
class AnimationPlayer : public QObject {
    Q_OBJECT
public:
    using SizeRule = std::function<QSize(const QSize &)>;

    explicit AnimationPlayer(QObject *parent = nullptr);
    ~AnimationPlayer() override;

    // Starts playing path (nothing happens when it is not animated).
    void start(const QString &path, const SizeRule &rule, const QColor &background);
    // Stops for good; a frame being decoded is dropped.
    void stop();
    bool isPlaying() const { return m_playing; }
    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);

    // The most frames held at once since start: decoded ahead and not yet
    // shown, plus the reader's own pictures (memory checks).
    int mostFramesHeld() const { return m_mostHeld; }

signals:
    // The next frame is due: index from 0, play from 0.
    void frameShown(const QImage &frame, int index, int play);
    // The last frame of the last play is shown (or a frame could not be read).
    void finished();

private:
    struct Source;
    struct Decoded;
    void decodeNext();
    void arrived(const Decoded &decoded);
    void showAhead();

    std::shared_ptr<Source> m_source;
    SizeRule m_rule;
    QColor m_background;
    QTimer m_timer;
    quint64 m_generation = 0;
    bool m_playing = false;
    bool m_paused = false;
    bool m_decoding = false;
    bool m_due = false;   // the delay of the frame shown has passed
    bool m_haveAhead = false;
    bool m_ended = false;
    QImage m_ahead;
    int m_aheadIndex = 0;
    int m_aheadPlay = 0;
    int m_aheadDelay = 0;
    int m_shownDelay = 100;
    int m_mostHeld = 0;
};
