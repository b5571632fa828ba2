#include "decode/ProgramPool.h"

#include "decode/HelperLaunch.h"

#include <QDir>
#include <QFileInfo>

std::unique_ptr<DecoderPool> startDecoderPool(const QString &programFolder, qint64 addressSpaceBytes)
{
    DecoderPool::Options o;
    o.helper = QString::fromLocal8Bit(qgetenv("GLINTWAVE_DECODE_HELPER"));
    if (o.helper.isEmpty()) {
        const QDir here(programFolder);
        o.helper = here.filePath(QStringLiteral("glintwave-decode"));
        if (!QFileInfo(o.helper).isExecutable())
            o.helper = here.filePath(QStringLiteral("../libexec/glintwave/glintwave-decode"));
    }
    o.helper = QFileInfo(o.helper).absoluteFilePath();
    // Bubblewrap is tried now and its answer waited for at the first
    // decode, so that the program's start does not wait for it.
    auto probe = std::make_shared<NamespaceProbe>();
    o.isolation = [probe](QString *why) { return probe->available(why); };
    o.addressSpaceBytes = addressSpaceBytes;
    if (const int seconds = qEnvironmentVariableIntValue("GLINTWAVE_DECODE_SECONDS"); seconds > 0) {
        o.cpuSecondsPerPicture = seconds;
        o.answerMs = seconds * 1000;
    }
    return std::make_unique<DecoderPool>(o);
}
