#pragma once
#include "viewer/PictureLoader.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

// Decodes pictures for the viewer away from the window's thread: the one
// the user opens (ahead of anything else, the window waiting with the wait
// cursor but never blocked), and the entries next to it before the user asks
// for them, so that Space and Backspace find them ready.
//
// Every picture is decoded at the size the viewer's scaling rule gives. A
// decoded picture is kept only while it describes its file: a file changed
// on disk (modification time or size), another rule, or a list of
// neighbours that no longer names it drops it. Decoded neighbours are held
// within a memory budget; a decode that would not fit is thrown away, and
// the neighbours go at once when the viewer closes.
//
// A file that carries a preview (a camera RAW), or a large JPEG that gets
// a quick view (PictureLoader::LoadRequest::quickPreview), is shown by it
// first; the picture opened is then decoded whole and replaces the preview
// (developed()).
//
// A decode the user no longer waits for (Esc, another picture) is abandoned:
// it finishes on its worker, as a decoder cannot be stopped halfway, and its
// picture is freed there without ever reaching the window.
class PicturePreloader : public QObject {
    Q_OBJECT
public:
    // What decides the decoded pixels besides the file.
    struct Rule {
        QSize screen;
        bool scaleBig = false;
        bool scaleSmall = false;
        QColor background = Qt::black;
        bool operator==(const Rule &o) const
        {
            return screen == o.screen && scaleBig == o.scaleBig && scaleSmall == o.scaleSmall
                   && background == o.background;
        }
        bool operator!=(const Rule &o) const { return !(*this == o); }
    };

    // The budget for decoded neighbours: 512 MiB, less on a machine where
    // an eighth of the memory is smaller.
    static qint64 defaultBudget();

    explicit PicturePreloader(QObject *parent = nullptr);
    ~PicturePreloader() override;

    // A rule unlike the last drops everything decoded with the last.
    void setRule(const Rule &rule);
    void setBudget(qint64 bytes) { m_budget = bytes; }

    // Opens path: when its picture is ready (preloaded, file unchanged) it
    // goes to *out and true comes back at once. Otherwise a decode starts
    // (or a preload of the same file is waited for) and opened() follows;
    // an earlier open still pending is abandoned.
    bool open(const QString &path, LoadedPicture *out);
    bool isOpening() const { return !m_opening.isEmpty(); }
    QString opening() const { return m_opening; }
    // The open pending is no longer wanted.
    void abandon();

    // Decodes these (nearest first) and keeps them ready; decoded pictures
    // of any other file are dropped.
    void preload(const QStringList &paths);
    // Drops every decoded picture and every preload not yet started.
    void clear();

    // Whether path's picture is decoded and kept (tests, the benchmark).
    bool isReady(const QString &path) const;
    // Decodes started since this was made (tests: nothing is decoded twice).
    int decodesStarted() const { return m_decodes; }
    qint64 heldBytes() const;

signals:
    // The picture open() asked for: ok() false when it cannot be decoded.
    void opened(const QString &path, const LoadedPicture &picture);
    // A preloaded picture is ready (tests, the benchmark).
    void preloaded(const QString &path);
    // A decode of path starts: urgent when the user waits for it.
    void decoding(const QString &path, bool urgent);
    // The whole picture of a file opened by its preview is ready, or could
    // not be decoded (ok() false).
    void developed(const QString &path, const LoadedPicture &picture);

private:
    struct Job;
    std::shared_ptr<Job> start(const QString &path, bool urgent, bool whole = false);
    void done(const std::shared_ptr<Job> &job);
    void developIfPreview(const Job &job);
    bool fresh(const Job &job) const;

    Rule m_rule;
    qint64 m_budget;
    QHash<QString, std::shared_ptr<Job>> m_jobs;     // by path: running or decoded
    QHash<QString, std::shared_ptr<Job>> m_wholes;   // whole decodes behind a preview shown
    QString m_opening;
    int m_decodes = 0;
};
