#pragma once
#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// Tells when the files of one folder change: added, removed, renamed,
// rewritten or touched. A burst (a camera card copied in) is told once after
// a short pause, so whoever lists the folder again does so a few times a
// second at most, however fast the files come.
class FolderWatch : public QObject {
    Q_OBJECT
public:
    explicit FolderWatch(QObject *parent = nullptr);
    ~FolderWatch() override;

    // Watches folder (an empty one: nothing); a folder that cannot be watched
    // is simply not followed.
    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }
    bool isWatching() const { return m_watch >= 0; }

    // The longest a change waits before it is told.
    static constexpr int PauseMs = 150;

signals:
    // Something in the folder changed; rewritten names the files whose
    // content or times changed while they kept their name (the others show
    // when the folder is listed again).
    void changed(const QSet<QByteArray> &rewritten);

private:
    void readEvents();
    void stop();

    QString m_folder;
    int m_fd = -1;
    int m_watch = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_pause;
    QSet<QByteArray> m_rewritten;
};
