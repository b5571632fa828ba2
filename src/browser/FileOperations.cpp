#include "browser/FileOperations.h"

#include "core/NewFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace fileops {
namespace {
constexpr int MostNumbers = 10000;

QString systemWords(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

Outcome failed(const QString &what, const QString &why)
{
    Outcome o;
    o.error = QStringLiteral("%1: %2").arg(what, why);
    return o;
}

QString quoted(const QString &path) { return QStringLiteral("\"%1\"").arg(QFileInfo(path).fileName()); }

// rename(2) that never replaces: errno EEXIST when the name is taken.
bool renameNoReplace(const QString &from, const QString &to)
{
    return ::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD, QFile::encodeName(to).constData(),
                       RENAME_NOREPLACE) == 0;
}

bool copyBytes(QFile &in, QFileDevice &out, const Progress &progress, QString *why)
{
    constexpr qint64 Chunk = 1 << 20;
    const qint64 total = in.size();
    QByteArray buffer(Chunk, Qt::Uninitialized);
    for (qint64 done = 0;;) {
        const qint64 n = in.read(buffer.data(), Chunk);
        if (n < 0) {
            *why = in.errorString();
            return false;
        }
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n) {
            *why = out.errorString();
            return false;
        }
        done += n;
        if (progress && !progress(done, total)) {
            *why = QStringLiteral("cancelled");
            return false;
        }
    }
    // The copy keeps the original's modification time, as a file manager's does.
    struct stat st;
    if (::fstat(in.handle(), &st) == 0) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        out.flush();
        ::futimens(out.handle(), times);
    }
    return true;
}
} // namespace

QString numberedName(const QString &name, int i)
{
    if (i == 0)
        return name;
    const int dot = name.lastIndexOf('.');
    const QString number = QStringLiteral(" (%1)").arg(i + 1);
    if (dot <= 0)
        return name + number;
    return name.left(dot) + number + name.mid(dot);
}

Outcome moveToTrash(const QString &path, Trashed *record)
{
    QFile file(path);
    if (!file.moveToTrash())   // then fileName() is its place in the Trash
        return failed(QStringLiteral("%1 cannot be moved to the Trash").arg(quoted(path)), file.errorString());
    const QString inTrash = file.fileName();
    *record = Trashed{QFileInfo(path).absoluteFilePath(), inTrash};
    Outcome o;
    o.ok = true;
    o.path = inTrash;
    return o;
}

Outcome restoreFromTrash(const Trashed &record)
{
    const QString name = quoted(record.original);
    if (!QDir().mkpath(QFileInfo(record.original).absolutePath()))
        return failed(QStringLiteral("%1 cannot be put back").arg(name), QStringLiteral("its folder is gone"));
    if (!renameNoReplace(record.inTrash, record.original)) {
        const int error = errno;
        return failed(QStringLiteral("%1 cannot be put back").arg(name),
                      error == EEXIST ? QStringLiteral("a file of that name is there now") : systemWords(error));
    }
    // The Trash's record of it: <trash>/info/<name>.trashinfo beside <trash>/files/<name>.
    const QFileInfo trashed(record.inTrash);
    QFile::remove(trashed.dir().filePath(QStringLiteral("../info/%1.trashinfo").arg(trashed.fileName())));
    Outcome o;
    o.ok = true;
    o.path = record.original;
    return o;
}

QString renameProblem(const QString &folder, const QString &oldName, const QString &newName)
{
    if (newName.isEmpty())
        return QStringLiteral("A file name cannot be empty.");
    if (newName.contains('/'))
        return QStringLiteral("A file name cannot contain \"/\".");
    if (newName == QLatin1String(".") || newName == QLatin1String(".."))
        return QStringLiteral("\"%1\" cannot be a file name.").arg(newName);
    const QFileInfo target(QDir(folder).filePath(newName));
    if (newName != oldName && (target.exists() || target.isSymLink()))
        return QStringLiteral("\"%1\" already exists.").arg(newName);
    return {};
}

Outcome renameFile(const QString &folder, const QString &oldName, const QString &newName)
{
    const QString problem = renameProblem(folder, oldName, newName);
    if (!problem.isEmpty()) {
        Outcome o;
        o.error = problem;
        return o;
    }
    const QDir d(folder);
    if (newName != oldName && !renameNoReplace(d.filePath(oldName), d.filePath(newName))) {
        const int error = errno;
        if (error == EEXIST)
            return failed(QStringLiteral("\"%1\" cannot be renamed").arg(oldName),
                          QStringLiteral("\"%1\" already exists").arg(newName));
        return failed(QStringLiteral("\"%1\" cannot be renamed").arg(oldName), systemWords(error));
    }
    Outcome o;
    o.ok = true;
    o.path = d.filePath(newName);
    return o;
}

Outcome copyInto(const QString &file, const QString &folder, const Progress &progress)
{
    const QString name = QFileInfo(file).fileName();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("\"%1\" cannot be copied").arg(name), in.errorString());
    const NewFile copy = writeNewFile(
        folder, [&name](int i) { return numberedName(name, i); }, MostNumbers,
        [&](QFileDevice &out, QString *why) { return copyBytes(in, out, progress, why); });
    if (!copy.ok)
        return failed(QStringLiteral("\"%1\" cannot be copied to \"%2\"").arg(name, folder),
                      copy.allTaken ? QStringLiteral("every numbered name is taken") : copy.error);
    Outcome o;
    o.ok = true;
    o.path = copy.path;
    return o;
}

Outcome moveInto(const QString &file, const QString &folder, const Progress &progress)
{
    const QString name = QFileInfo(file).fileName();
    const QDir d(folder);
    for (int i = 0; i < MostNumbers; ++i) {
        const QString target = d.filePath(numberedName(name, i));
        if (renameNoReplace(file, target)) {
            Outcome o;
            o.ok = true;
            o.path = target;
            return o;
        }
        if (errno == EEXIST)
            continue;
        if (errno != EXDEV)
            return failed(QStringLiteral("\"%1\" cannot be moved to \"%2\"").arg(name, folder), systemWords(errno));
        // Another file system: copy whole, then let the original go.
        Outcome copied = copyInto(file, folder, progress);
        if (!copied.ok)
            return copied;
        if (!QFile::remove(file))
            return failed(QStringLiteral("\"%1\" was copied to \"%2\" but cannot be taken away").arg(name, folder),
                          QFile(file).errorString());
        return copied;
    }
    return failed(QStringLiteral("\"%1\" cannot be moved to \"%2\"").arg(name, folder),
                  QStringLiteral("every numbered name is taken"));
}

} // namespace fileops
