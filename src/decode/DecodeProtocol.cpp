#include "decode/DecodeProtocol.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace decodeprotocol {
namespace {
constexpr size_t MaxMessage = 4096;
constexpr int MaxError = 1000;

struct Wire {
    uint32_t kind;
    int32_t a, b, c, d, e, f, g, h, i, j, k;
    uint32_t errorBytes;
};

bool sendWire(int socket, const Wire &w, const QByteArray &tail, int fd)
{
    QByteArray bytes(reinterpret_cast<const char *>(&w), sizeof w);
    bytes += tail;
    iovec io{bytes.data(), size_t(bytes.size())};
    msghdr msg{};
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr *c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
    }
    ssize_t n;
    do
        n = ::sendmsg(socket, &msg, MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    return n == bytes.size();
}
} // namespace

bool sendRequest(int socket, const Request &r, int fileFd)
{
    return sendWire(socket, Wire{uint32_t(Kind::Request), int32_t(r.keepAlpha), int32_t(r.background), int32_t(r.askSize), int32_t(r.quickPreview), r.viewWidth, r.viewHeight, 0, 0, 0, 0, 0, 0},
                    {}, fileFd);
}

bool sendSize(int socket, QSize size)
{
    return sendWire(socket, Wire{uint32_t(Kind::Size), size.width(), size.height(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {}, -1);
}

bool sendWant(int socket, QSize size)
{
    return sendWire(socket, Wire{uint32_t(Kind::Want), size.width(), size.height(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {}, -1);
}

bool sendResult(int socket, const Result &r, int pixelsFd)
{
    const QByteArray error = r.error.left(MaxError).toUtf8();
    return sendWire(socket,
                    Wire{uint32_t(Kind::Result), r.ok, r.width, r.height, r.bytesPerLine, r.format, r.sourceWidth,
                         r.sourceHeight, r.areaX, r.areaY, r.areaWidth, r.areaHeight, uint32_t(error.size())},
                    error, r.ok ? pixelsFd : -1);
}

Message receive(int socket, int timeoutMs)
{
    Message m;
    pollfd p{socket, POLLIN, 0};
    int ready;
    do
        ready = ::poll(&p, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        m.timedOut = true;
        return m;
    }
    if (ready < 0)
        return m;
    char buffer[MaxMessage];
    iovec io{buffer, sizeof buffer};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr msg{};
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n;
    do
        n = ::recvmsg(socket, &msg, MSG_CMSG_CLOEXEC);
    while (n < 0 && errno == EINTR);
    for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS && c->cmsg_len == CMSG_LEN(sizeof(int)))
            std::memcpy(&m.fd, CMSG_DATA(c), sizeof(int));
    }
    Wire w{};
    const bool whole = n >= ssize_t(sizeof w) && !(msg.msg_flags & (MSG_TRUNC | MSG_CTRUNC));
    if (whole)
        std::memcpy(&w, buffer, sizeof w);
    // The helper is not trusted: a message with anything where its kind has
    // nothing is not one of ours.
    const int used = w.kind == uint32_t(Kind::Request) ? 6
        : w.kind == uint32_t(Kind::Size) || w.kind == uint32_t(Kind::Want) ? 2
        : w.kind == uint32_t(Kind::Result) ? 11
                                           : -1;
    const int32_t fields[] = {w.a, w.b, w.c, w.d, w.e, w.f, w.g, w.h, w.i, w.j, w.k};
    const bool known = whole && used >= 0
        && std::all_of(fields + used, std::end(fields), [](int32_t f) { return f == 0; })
        && w.errorBytes <= (used == 11 ? MaxError * 4 : 0) && size_t(n) == sizeof w + w.errorBytes;
    if (!known) {
        if (m.fd >= 0)
            ::close(m.fd);
        m.fd = -1;
        m.garbled = n > 0;
        return m;
    }
    m.ok = true;
    m.kind = Kind(w.kind);
    switch (m.kind) {
    case Kind::Request:
        m.request = Request{uint32_t(w.a), uint32_t(w.b), uint32_t(w.c), uint32_t(w.d), w.e, w.f};
        break;
    case Kind::Size:
    case Kind::Want:
        m.size = QSize(w.a, w.b);
        break;
    case Kind::Result:
        m.result = Result{w.a, w.b, w.c, w.d, w.e, w.f, w.g, w.h, w.i, w.j, w.k,
                          QString::fromUtf8(buffer + sizeof w, int(w.errorBytes))};
        break;
    }
    return m;
}

} // namespace decodeprotocol
