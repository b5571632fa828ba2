#include "decode/DecodeHelper.h"

#include "decode/DecodeProtocol.h"
#include "decode/SeccompFilter.h"
#include "viewer/PictureLoader.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>

#include <cstdio>
#include <new>
#include <utility>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace dp = decodeprotocol;

namespace {
struct Settings {
    int socket = 3;
    rlim_t addressSpace = RLIM_INFINITY;
    rlim_t cpuPerPicture = 120;
};

Settings parse(int argc, char **argv)
{
    Settings s;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray name(argv[i]);
        const qlonglong value = QByteArray(argv[i + 1]).toLongLong();
        if (name == "--socket")
            s.socket = int(value);
        else if (name == "--address-space" && value > 0)
            s.addressSpace = rlim_t(value);
        else if (name == "--cpu" && value > 0)
            s.cpuPerPicture = rlim_t(value);
    }
    return s;
}

// The CPU time a picture may take, counted from now (the limit counts the
// helper's whole life, and a warm helper decodes many pictures).
void allowCpuFromNow(rlim_t seconds)
{
    rusage used{};
    ::getrusage(RUSAGE_SELF, &used);
    const rlim_t now = rlim_t(used.ru_utime.tv_sec + used.ru_stime.tv_sec) + 1;
    const rlimit limit{now + seconds, RLIM_INFINITY};
    ::setrlimit(RLIMIT_CPU, &limit);
}

// Nothing can change, grow or shrink the pixels once handed over.
bool seal(int fd)
{
    return ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) == 0;
}

// The pixels in a sealed memfd, or -1.
int pixelsInMemfd(const QImage &image)
{
    const int fd = ::memfd_create("glintwave-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    const qsizetype length = image.sizeInBytes();
    const char *bits = reinterpret_cast<const char *>(image.constBits());
    bool ok = ::ftruncate(fd, length) == 0;
    for (qsizetype done = 0; ok && done < length;) {
        const ssize_t n = ::pwrite(fd, bits + done, size_t(length - done), done);
        ok = n > 0;
        done += ok ? n : 0;
    }
    ok = ok && seal(fd);
    if (!ok) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A picture decoded straight into a memfd, mapped here while it is written:
// sealed and handed over, its pixels reach the program without a copy.
class SharedPixels
{
public:
    SharedPixels() = default;
    SharedPixels(const SharedPixels &) = delete;
    SharedPixels &operator=(const SharedPixels &) = delete;
    ~SharedPixels()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // Room for one 32-bit picture, or a null image (the heap then serves).
    QImage allocate(const QSize &size, QImage::Format format)
    {
        if (m_fd >= 0 || size.isEmpty() || QImage::toPixelFormat(format).bitsPerPixel() != 32)
            return {};
        const int bytesPerLine = size.width() * 4;
        const size_t length = size_t(bytesPerLine) * size_t(size.height());
        const int fd = ::memfd_create("glintwave-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
        if (fd < 0)
            return {};
        void *address = MAP_FAILED;
        if (::ftruncate(fd, off_t(length)) == 0)
            address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (address == MAP_FAILED) {
            ::close(fd);
            return {};
        }
        m_fd = fd;
        m_address = address;
        m_length = length;
        return QImage(static_cast<uchar *>(address), size.width(), size.height(), bytesPerLine, format,
                      unmap, this);
    }

    // The memfd, sealed, when image is the picture made in it and nothing
    // else holds it (image is then let go: a written mapping would stop the
    // seal); -1 otherwise, and image is left as it was. The caller owns it.
    int handOver(QImage &image)
    {
        if (!m_address || image.constBits() != m_address || !image.isDetached())
            return -1;
        image = QImage();   // unmaps
        const int fd = std::exchange(m_fd, -1);
        if (m_address || !seal(fd)) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

private:
    static void unmap(void *self)
    {
        auto *pixels = static_cast<SharedPixels *>(self);
        ::munmap(pixels->m_address, pixels->m_length);
        pixels->m_address = nullptr;
    }

    int m_fd = -1;
    void *m_address = nullptr;
    size_t m_length = 0;
};

// Qt loads its picture readers (and their libraries) at the first picture
// it reads by content: done here, while the program still builds its
// window, rather than on the time of the first picture asked for.
void loadReaders()
{
    QBuffer bytes;
    bytes.open(QIODevice::ReadWrite);
    QImage(8, 8, QImage::Format_RGB32).save(&bytes, "JPEG");
    bytes.seek(0);
    QImageReader reader(&bytes);
    reader.setDecideFormatFromContent(true);
    reader.read();
}

void decodeOne(const Settings &s, const dp::Message &request)
{
    allowCpuFromNow(s.cpuPerPicture);
    PictureLoader::LoadRequest load;
    load.keepAlpha = request.request.keepAlpha != 0;
    load.background = QColor::fromRgba(request.request.background);
    load.quickPreview = request.request.quickPreview != 0;
    load.view = QSize(request.request.viewWidth, request.request.viewHeight);
    QSize askedFor(-2, -2), answer;
    if (request.request.askSize) {
        load.sizeRule = [&](const QSize &source) {
            if (source == askedFor)
                return answer;
            if (!dp::sendSize(s.socket, source))
                ::_exit(0);
            const dp::Message want = dp::receive(s.socket, -1);
            if (!want.ok || want.kind != dp::Kind::Want)
                ::_exit(0);   // the program went away
            askedFor = source;
            answer = want.size;
            return answer;
        };
    }
    SharedPixels shared;
    load.pixelStore = [&shared](const QSize &size, QImage::Format format) { return shared.allocate(size, format); };
    LoadedPicture picture = PictureLoader::load(QStringLiteral("/proc/self/fd/%1").arg(request.fd), load);
    ::close(request.fd);
    dp::Result r;
    r.sourceWidth = picture.sourceSize.width();
    r.sourceHeight = picture.sourceSize.height();
    r.error = picture.error;
    int pixels = -1;
    if (picture.ok()) {
        r.width = picture.image.width();
        r.height = picture.image.height();
        r.bytesPerLine = int(picture.image.bytesPerLine());
        r.format = int(picture.image.format());
        r.areaX = picture.previewArea.x();
        r.areaY = picture.previewArea.y();
        r.areaWidth = picture.previewArea.width();
        r.areaHeight = picture.previewArea.height();
        pixels = shared.handOver(picture.image);
        if (pixels < 0 && !picture.image.isNull())
            pixels = pixelsInMemfd(picture.image);
        if (pixels < 0)
            r.error = QStringLiteral("out of memory");
        else
            r.ok = picture.preview ? dp::PreviewOk : 1;
    }
    if (!dp::sendResult(s.socket, r, pixels))
        ::_exit(0);
    if (pixels >= 0)
        ::close(pixels);
}
} // namespace

int runDecodeHelper(int argc, char **argv)
{
    const Settings s = parse(argc, argv);
    // Out of memory is an answer of its own, not a crash.
    std::set_new_handler([] { ::_exit(dp::ExitOutOfMemory); });
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);   // never outlive the program
    const rlimit space{s.addressSpace, s.addressSpace}, noCore{0, 0};
    ::setrlimit(RLIMIT_AS, &space);
    ::setrlimit(RLIMIT_CORE, &noCore);
    // Metafiles draw text, and fonts need a QGuiApplication.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    QString why;
    if (!lockDownForDecoding(&why)) {
        std::fprintf(stderr, "glintwave-decode: %s\n", qPrintable(why));
        return 3;
    }
    loadReaders();
    for (;;) {
        const dp::Message m = dp::receive(s.socket, -1);
        if (!m.ok)
            return 0;   // the program is gone
        if (m.kind != dp::Kind::Request || m.fd < 0) {
            if (m.fd >= 0)
                ::close(m.fd);
            return 2;
        }
        decodeOne(s, m);
    }
}
