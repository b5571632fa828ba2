#include "decode/ProgramPool.h"

#include "decode/HelperLaunch.h"

#include <QDir>
#include <QFileInfo>

std::unique_ptr<DecoderPool> startDecoderPool(const QString &programFolder, qint64 addressSpaceBytes,
                                              QString *notice)
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
    QString why;
    o.isolated = namespacesAvailable(&why);
    if (!o.isolated)
        *notice = QStringLiteral("pictures are decoded without namespaces (%1); the helper's seccomp filter "
                                 "and limits still hold").arg(why);
    o.addressSpaceBytes = addressSpaceBytes;
    if (const int seconds = qEnvironmentVariableIntValue("GLINTWAVE_DECODE_SECONDS"); seconds > 0) {
        o.cpuSecondsPerPicture = seconds;
        o.answerMs = seconds * 1000;
    }
    return std::make_unique<DecoderPool>(o);
}
