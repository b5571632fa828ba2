// The metafile player: libwmf's reader and our canvas drawing what it plays.
#include "FuzzTarget.h"
#include "GuiForFuzz.h"
#include "viewer/WmfRender.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startGuiForFuzz(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    QString error;
    // Small, so that an execution is quick; the natural size is asked for
    // and must be sane.
    WmfRender::render(bytes, [](const QSize &natural) {
        if (natural.width() < 1 || natural.height() < 1 || natural.width() > WmfRender::MaxNaturalSide
            || natural.height() > WmfRender::MaxNaturalSide)
            __builtin_trap();
        return QSize(64, 48);
    }, &error);
    return 0;
}
