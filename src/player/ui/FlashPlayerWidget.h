#pragma once
#include "player/RufflePage.h"
#include "player/SwfInfo.h"

#include <QTemporaryDir>
#include <QTimer>

#include "player/ui/PlayerViews.h"

class QLabel;
class QWebEngineView;
class RuffleHostPage;

// The viewer's Flash player: Ruffle on a local page of ours in a web view.
//
// End of a movie: Ruffle cannot tell which frame is showing, so the end is
// known only for a movie that is certain to stop on its last frame (see
// SwfInfo::stopsOnLastFrame). For such a movie movieFinished() follows once
// its frames have played at the movie's rate, plus a short hold so that the
// last picture is seen. A movie that loops or runs scripts never finishes
// by itself; the user closes it.
// Notifications come from the event loop, so a listener may delete the player.
class FlashPlayerWidget : public FlashPlayerView {
    Q_OBJECT
public:
    explicit FlashPlayerWidget(QWidget *parent = nullptr);
    ~FlashPlayerWidget() override;

    // Settings used by the next setMovie(); the viewer's are "Window",
    // "High" and "ShowAll".
    void setWindowMode(const QString &mode) { m_settings.windowMode = mode; }
    void setQuality(const QString &quality) { m_settings.quality = quality; }
    void setScale(const QString &scale) { m_settings.scale = scale; }
    QString windowMode() const { return m_settings.windowMode; }
    QString quality() const { return m_settings.quality; }
    QString scale() const { return m_settings.scale; }

    // Loads and plays a movie; an empty path unloads it.
    void setMovie(const QString &path) override;
    QString movie() const { return m_movie; }

    // 0 until Ruffle has the movie, then 100 (a local file loads at once).
    int percentLoaded() const { return m_percent; }
    bool isFinished() const { return m_finished; }
    SwfInfo movieInfo() const { return m_info; }
    QString errorText() const override { return m_errorText; }

    // Time the last frame stays before movieFinished(); default 1000 ms.
    void setLastFrameHold(int ms) { m_holdMs = ms; }

    QWebEngineView *view() const { return m_view; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void progress(int percent);
    void movieStarted();
    void errorOccurred(const QString &message);

private:
    void onPageMessage(const QString &kind, const QByteArray &json);
    void fail(const QString &message);

    QWebEngineView *m_view;
    RuffleHostPage *m_page;
    QLabel *m_message;
    QTemporaryDir m_pageDir;
    QTimer m_finishTimer;
    rufflepage::Settings m_settings;
    QString m_movie;
    SwfInfo m_info;
    QString m_errorText;
    int m_percent = 0;
    int m_holdMs = 1000;
    int m_pageNumber = 0;
    bool m_finished = false;
};
