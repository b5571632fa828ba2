#pragma once
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Decodes pictures in helper processes (glintwave-decode), so that a
// decoder's fault harms only a sandbox: the program hands over the open
// file, answers the helper's question about the size it wants, and maps the
// pixels the helper leaves in a sealed memfd, without a copy. A few helpers
// are kept warm between decodes and let go when idle. A helper that dies,
// runs out of memory or stops answering costs one picture: the decode fails
// with a reason and the next decode gets a new helper. Safe to use from
// several threads at once.
class DecoderPool {
public:
    struct Options {
        QString helper;                   // the helper program's absolute path
        bool isolated = true;             // under bubblewrap (see namespacesAvailable)
        // When set, asked once, before the first decode, whether helpers may
        // run under bubblewrap; a "no" (with its reason) overrides isolated.
        std::function<bool(QString *why)> isolation;
        qint64 addressSpaceBytes = qint64(4) << 30;   // each helper's RLIMIT_AS
        int cpuSecondsPerPicture = 120;
        int answerMs = 60000;             // the watchdog: silent this long, it is killed
        int idleMs = 30000;               // a warm helper unused this long is let go
        int warmHelpers = 2;              // at most this many kept between decodes
    };
    struct Result {
        QImage image;                     // null on failure
        QSize sourceSize;
        QString error;
        bool preview = false;             // a preview stood in
        QRect previewArea;                // what a quick view shows (LoadedPicture)
    };
    using SizeRule = std::function<QSize(const QSize &)>;

    explicit DecoderPool(Options options);
    ~DecoderPool();
    DecoderPool(const DecoderPool &) = delete;
    DecoderPool &operator=(const DecoderPool &) = delete;

    const Options &options() const { return m_options; }

    // fileFd: the picture, open for reading (the pool does not close it).
    // view: the screen, for a quick view (see PictureLoader::LoadRequest).
    Result decode(int fileFd, const SizeRule &sizeRule, bool keepAlpha, QColor background,
                  bool quickPreview = false, QSize view = QSize());

    // One helper started now, so that the first picture does not wait for
    // it. A helper goes with the thread that started it: call this from one
    // that lives as long as the pool.
    void warmUp();
    // Empty, or why helpers run with less isolation than asked.
    QString notice();

    // For tests and the about box: the process ids of the warm helpers.
    std::vector<int> idleHelpers();

private:
    struct Helper;
    std::unique_ptr<Helper> start(QString *why) const;
    std::unique_ptr<Helper> take(QString *why);
    void giveBack(std::unique_ptr<Helper> helper);
    static QString endOf(Helper &helper, bool killed);
    void settle();

    Options m_options;
    std::atomic<bool> m_isolated;
    std::once_flag m_settled;
    QString m_notice;
    std::mutex m_lock;
    std::vector<std::unique_ptr<Helper>> m_idle;
};
