#include "decode/DecoderPool.h"

#include "decode/DecodeProtocol.h"
#include "decode/HelperLaunch.h"

#include <QElapsedTimer>

#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dp = decodeprotocol;

namespace {
const QString WrongAnswer = QStringLiteral("the decoder gave a wrong answer");

struct Mapping {
    void *address;
    size_t length;
};

void unmap(void *info)
{
    auto *m = static_cast<Mapping *>(info);
    ::munmap(m->address, m->length);
    delete m;
}

// The helper's pixels, read where they lie. The memfd must be sealed, so
// that nothing can change or shrink it under the picture, and hold the whole
// picture it claims.
QImage mapPixels(int fd, const dp::Result &r, QString *why)
{
    *why = WrongAnswer;
    const auto format = QImage::Format(r.format);
    if (fd < 0 || r.width <= 0 || r.height <= 0
        || (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied
            && format != QImage::Format_ARGB32)
        || r.bytesPerLine < qint64(r.width) * 4)
        return {};
    const int seals = ::fcntl(fd, F_GET_SEALS);
    const int wanted = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;
    struct stat st;
    const qint64 length = qint64(r.bytesPerLine) * r.height;
    if (seals < 0 || (seals & wanted) != wanted || ::fstat(fd, &st) != 0 || st.st_size < length)
        return {};
    void *address = ::mmap(nullptr, size_t(length), PROT_READ, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) {
        *why = QStringLiteral("out of memory");
        return {};
    }
    why->clear();
    // Read-only: QImage copies the pixels only when something writes to them.
    return QImage(static_cast<const uchar *>(address), r.width, r.height, r.bytesPerLine, format, unmap,
                  new Mapping{address, size_t(length)});
}
} // namespace

struct DecoderPool::Helper {
    pid_t pid = -1;
    int socket = -1;
    QElapsedTimer idle;
    ~Helper()
    {
        if (socket >= 0)
            ::close(socket);
        if (pid > 0)
            endProgram(pid);
    }
};

DecoderPool::DecoderPool(Options options) : m_options(std::move(options)), m_isolated(m_options.isolated) {}

DecoderPool::~DecoderPool() = default;

std::unique_ptr<DecoderPool::Helper> DecoderPool::start(QString *why) const
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    const QStringList args{"--socket", "3", "--address-space", QString::number(m_options.addressSpaceBytes),
                           "--cpu", QString::number(m_options.cpuSecondsPerPicture)};
    const HelperLaunch launch = helperLaunch(m_options.helper, args, m_isolated);
    // The helper's end of the pair becomes its fd 3; everything else of
    // ours is close-on-exec. Its standard input and output are nobody's: a
    // helper still starting when the program ends must not hold the pipe of
    // whoever reads the program's output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 3);
    auto helper = std::make_unique<Helper>();
    QString failed;
    helper->pid = spawnProgram(launch.argv, &actions, &failed);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    helper->socket = pair[0];
    if (helper->pid < 0) {
        *why = QStringLiteral("the decoding helper could not be started: %1").arg(failed);
        return nullptr;
    }
    return helper;
}

void DecoderPool::settle()
{
    std::call_once(m_settled, [this] {
        if (!m_options.isolation)
            return;
        QString why;
        if (m_options.isolation(&why))
            return;
        // Helpers started in hope of namespaces go; the next run plainly.
        std::lock_guard<std::mutex> hold(m_lock);
        m_isolated = false;
        m_idle.clear();
        m_notice = QStringLiteral("pictures are decoded without namespaces (%1); the helper's seccomp filter "
                                  "and limits still hold").arg(why);
    });
}

QString DecoderPool::notice()
{
    settle();
    std::lock_guard<std::mutex> hold(m_lock);
    return m_notice;
}

void DecoderPool::warmUp()
{
    QString why;
    if (auto helper = start(&why))
        giveBack(std::move(helper));
}

std::unique_ptr<DecoderPool::Helper> DecoderPool::take(QString *why)
{
    settle();
    {
        std::lock_guard<std::mutex> hold(m_lock);
        // Those idle too long go; the most recently used is taken.
        m_idle.erase(std::remove_if(m_idle.begin(), m_idle.end(),
                                    [this](const auto &h) { return h->idle.elapsed() > m_options.idleMs; }),
                     m_idle.end());
        if (!m_idle.empty()) {
            auto h = std::move(m_idle.back());
            m_idle.pop_back();
            return h;
        }
    }
    return start(why);
}

void DecoderPool::giveBack(std::unique_ptr<Helper> helper)
{
    std::lock_guard<std::mutex> hold(m_lock);
    helper->idle.start();
    m_idle.push_back(std::move(helper));
    while (int(m_idle.size()) > m_options.warmHelpers)
        m_idle.erase(m_idle.begin());
}

std::vector<int> DecoderPool::idleHelpers()
{
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<int> pids;
    for (const auto &h : m_idle)
        pids.push_back(h->pid);
    return pids;
}

// Why a helper went away, from how it ended; the helper is gone afterwards.
QString DecoderPool::endOf(Helper &helper, bool killed)
{
    int status = 0;
    if (helper.pid > 0) {
        if (killed)
            ::kill(-helper.pid, SIGKILL);   // its group: see spawnProgram
        ::waitpid(helper.pid, &status, 0);
        helper.pid = -1;
    }
    if (killed)
        return QStringLiteral("the decoder took too long (stopped)");
    // Under bubblewrap the helper's signal comes back as bwrap's exit status 128 + signal.
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : code > 128 ? code - 128 : 0;
    if (signal == SIGXCPU)
        return QStringLiteral("the decoder took too long (stopped)");
    if (signal == SIGKILL || code == dp::ExitOutOfMemory)
        return QStringLiteral("the decoder ran out of memory");
    if (code == 0)
        return QStringLiteral("the decoder stopped answering");
    return QStringLiteral("damaged picture (the decoder failed on it)");
}

DecoderPool::Result DecoderPool::decode(int fileFd, const SizeRule &sizeRule, bool keepAlpha, QColor background,
                                       bool quickPreview, QSize view)
{
    Result result;
    // A warm helper may have gone while it waited: then one more, fresh.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString why;
        std::unique_ptr<Helper> helper = take(&why);
        if (!helper) {
            result.error = why;
            return result;
        }
        const dp::Request request{keepAlpha ? 1u : 0u, background.rgba(), sizeRule ? 1u : 0u, quickPreview ? 1u : 0u,
                                  view.width(), view.height()};
        if (!dp::sendRequest(helper->socket, request, fileFd)) {
            endOf(*helper, true);
            continue;
        }
        for (;;) {
            dp::Message m = dp::receive(helper->socket, m_options.answerMs);
            if (!m.ok && !m.garbled) {
                result.error = endOf(*helper, m.timedOut);
                return result;
            }
            if (m.ok && m.kind == dp::Kind::Size && sizeRule) {
                if (!dp::sendWant(helper->socket, sizeRule(m.size))) {
                    result.error = endOf(*helper, false);
                    return result;
                }
                continue;
            }
            // Garbage or a message of the wrong kind: the helper may still be
            // running, so it is ended, not waited for.
            if (!m.ok || m.kind != dp::Kind::Result) {
                if (m.fd >= 0)
                    ::close(m.fd);
                result.error = WrongAnswer;
                endOf(*helper, true);
                return result;
            }
            result.sourceSize = QSize(m.result.sourceWidth, m.result.sourceHeight);
            if (!m.result.ok) {
                result.error = m.result.error;
                giveBack(std::move(helper));
                return result;
            }
            result.image = mapPixels(m.fd, m.result, &result.error);
            result.preview = m.result.ok == dp::PreviewOk;
            if (result.preview)
                result.previewArea = QRect(m.result.areaX, m.result.areaY, m.result.areaWidth, m.result.areaHeight);
            if (m.fd >= 0)
                ::close(m.fd);
            // A helper whose answer cannot be used may have more to say: it
            // is not asked again.
            if (result.image.isNull())
                endOf(*helper, true);
            else
                giveBack(std::move(helper));
            return result;
        }
    }
    result.error = QStringLiteral("the decoding helper could not be reached");
    return result;
}
