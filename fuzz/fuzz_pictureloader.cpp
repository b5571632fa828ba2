// The picture loader with its limits, as every path uses it. The bytes go
// into an anonymous in-memory file that the loader opens by name.
#include "FuzzTarget.h"
#include "GuiForFuzz.h"
#include "viewer/PictureLoader.h"

#include <QString>

#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startGuiForFuzz(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int fd = memfd_create("picture", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    // The three requests the program makes: whole, fitted to a screen,
    // and a thumbnail.
    const LoadedPicture whole = PictureLoader::load(path, Qt::black);
    if (!whole.ok() && whole.error.isEmpty())
        __builtin_trap();   // a failure must always say why
    PictureLoader::loadFitted(path, [](const QSize &s) { return s.scaled(640, 480, Qt::KeepAspectRatio); });
    PictureLoader::loadThumbnail(path, 96);
    close(fd);
    return 0;
}
