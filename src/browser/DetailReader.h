#pragma once
#include "browser/FileDetails.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <memory>

// Reads the Detailed view's sizes, dates and types on workers, a part of the
// folder at a time, and hands each part to the window's thread as it is
// read: a folder on a slow disk, or of many thousands of files, shows its
// names at once and fills in.
class DetailReader : public QObject {
    Q_OBJECT
public:
    // Files handed over together.
    static constexpr int PartSize = 256;

    explicit DetailReader(QObject *parent = nullptr);
    ~DetailReader() override;

    // Starts reading, cancelling any read under way.
    // photoColumns: the capture moments and picture sizes too.
    void start(const QString &folder, const QStringList &names, const QList<QByteArray> &raw,
               bool photoColumns = false);
    // Nothing of the read under way is delivered after this returns.
    void cancel();
    // Parts of the read under way are still to come.
    bool isRunning() const { return m_waiting > 0; }

signals:
    // Details of some of the files, in no particular order: the files
    // given to start from its index first on, in their order.
    void rowsRead(const QVector<DetailRow> &rows, int first);
    // Every part is in (not sent for a cancelled read).
    void finished();

private:
    void arrived(quint64 generation, const QVector<DetailRow> &rows, int first);

    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_cancelled;
    quint64 m_generation = 0;
    int m_waiting = 0;   // parts of the read under way not yet in
};
