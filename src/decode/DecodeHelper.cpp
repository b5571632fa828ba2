#include "decode/DecodeHelper.h"

#include "decode/DecodeProtocol.h"
#include "decode/SeccompFilter.h"
#include "decode/SharedPixels.h"
#include "viewer/PictureLoader.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>

#include <cstdio>
#include <new>
#include <cstring>
#include <signal.h>
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
            pixels = copiedToSealedMemfd(picture.image);
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
