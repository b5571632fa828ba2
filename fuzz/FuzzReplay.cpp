// The replay main(): runs each file (or each file of each folder) named on
// the command line through the target once, as CI does with the corpora.
#include "FuzzTarget.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QFile::decodeName(argv[i]);
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            QStringList inFolder;
            while (it.hasNext())
                inFolder << it.next();
            inFolder.sort();
            files << inFolder;
        } else {
            files << arg;
        }
    }
    int run = 0;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 2;
        }
        const QByteArray data = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size()));
        ++run;
    }
    std::printf("%d inputs replayed\n", run);
    return run > 0 ? 0 : 1;   // an empty corpus is a broken setup, not a pass
}
