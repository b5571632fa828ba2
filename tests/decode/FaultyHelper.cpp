// A decoding helper for the tests only: glintwave-decode with one more
// decoder, which does what its file says: "GWFAULT crash" crashes, "GWFAULT
// hang" never ends, "GWFAULT block" waits for ever without spending time, "GWFAULT alloc" allocates without bound, "GWFAULT
// open PATH" tells whether PATH can be read from inside the helper,
// "GWFAULT socket" whether it may open a network socket, "GWFAULT lie"
// answers with a message of the wrong kind carrying a file, and "GWFAULT
// unsealed" with pixels in a memfd anyone could still change, then says
// more, and "GWFAULT garble" sends bytes that are no message and stays.
#include "decode/DecodeHelper.h"
#include "decode/DecodeProtocol.h"
#include "viewer/PictureDecoder.h"

#include <QFile>

#include <csignal>
#include <poll.h>
#include <cstring>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {
class FaultyDecoder : public PictureDecoder {
public:
    QByteArray format() const override { return "gwfault"; }
    bool claims(const QByteArray &head) const override { return head.startsWith("GWFAULT "); }
    QImage decode(const QByteArray &data, Sizes &, QString *error) const override
    {
        const QByteArray what = data.mid(8).trimmed();
        if (what == "crash")
            std::raise(SIGSEGV);
        if (what == "hang")
            for (volatile unsigned n = 0;; ++n) {
            }
        if (what == "block")   // waits without spending time, as on a pipe nobody writes
            for (;;)
                ::pause();
        if (what == "alloc") {
            std::vector<char *> held;
            for (;;) {
                char *block = new char[64 << 20];
                std::memset(block, 1, 64 << 20);
                held.push_back(block);
            }
        }
        if (what == "lie" || what == "unsealed") {
            // The helper's end of the conversation is its fd 3.
            const int fd = ::memfd_create("lie", MFD_CLOEXEC);
            ::ftruncate(fd, 64 * 48 * 4);
            if (what == "lie") {
                decodeprotocol::sendRequest(3, {}, fd);
                for (;;)
                    ::pause();
            }
            decodeprotocol::Result r;
            r.ok = 1;
            r.width = 64;
            r.height = 48;
            r.bytesPerLine = 64 * 4;
            r.format = QImage::Format_RGB32;
            decodeprotocol::sendResult(3, r, fd);
            ::close(fd);
            *error = QStringLiteral("a second answer");
            return {};
        }
        if (what == "garble") {   // bytes that are no message, then silence until hung up (15 s at most)
            ::send(3, "garbage", 7, 0);
            pollfd hangUp{3, POLLRDHUP, 0};
            ::poll(&hangUp, 1, 15000);
            ::_exit(0);
        }
        if (what == "socket") {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            *error = fd >= 0 ? QStringLiteral("allowed") : QStringLiteral("refused");
            if (fd >= 0)
                ::close(fd);
            return {};
        }
        if (what.startsWith("open ")) {
            QFile f(QString::fromUtf8(what.mid(5)));
            *error = f.open(QIODevice::ReadOnly) ? QStringLiteral("readable") : QStringLiteral("not readable");
            return {};
        }
        *error = QStringLiteral("no such fault");
        return {};
    }
};
} // namespace

int main(int argc, char **argv)
{
    PictureDecoders::add(std::make_shared<FaultyDecoder>());
    return runDecodeHelper(argc, argv);
}
