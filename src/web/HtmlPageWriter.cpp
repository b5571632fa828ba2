#include "web/HtmlPageWriter.h"

#include "web/GalleryThumbnails.h"
#include "core/NumberText.h"
#include "core/RawPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <utility>

int cellsPerRow(const QString &text)
{
    const double value = leadingNumber(text);
    if (!(value >= 1.0))
        return 1;
    if (value >= 1e9)
        return 1000000000;
    return static_cast<int>(value);   // 2.9 gives 2
}

QByteArray HtmlPageContent::nameBytes(int i) const
{
    if (i < rawNames.size() && !rawNames.at(i).isEmpty())
        return rawNames.at(i);
    return QFile::encodeName(names.at(i));
}

QString galleryLinkTarget(const QByteArray &nameBytes)
{
    // Everything outside the unreserved set is encoded except a few
    // characters that are harmless in a relative path inside a quoted
    // attribute; ":" stays encoded so that no name can become a scheme.
    // The bytes themselves are encoded, so a Latin-1 name links to its file.
    return QString::fromLatin1(nameBytes.toPercentEncoding("!$'()*+,;=@"));
}

QString galleryLinkTarget(const QString &name) { return galleryLinkTarget(QFile::encodeName(name)); }

QString galleryLinkText(const QString &name)
{
    // Control characters (a file name may hold a line break) become
    // character references, so that each cell stays on one line.
    const QString escaped = name.toHtmlEscaped();
    QString text;
    text.reserve(escaped.size());
    for (const QChar c : escaped) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            text += QStringLiteral("&#%1;").arg(c.unicode());
        else
            text += c;
    }
    return text;
}

QString galleryCellLine(const QString &name, const QByteArray &nameBytes, bool showNames, const GalleryThumb *thumb)
{
    QString inner;
    if (thumb) {
        // One arg() call fills every place at once: a chain would read an
        // encoded name's "%3A" as a place for the next value.
        inner = QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\" border=\"0\">")
                    .arg(thumb->source, QString::number(thumb->width), QString::number(thumb->height),
                         galleryLinkText(name));
        if (showNames)
            inner += QStringLiteral("<br>");
    }
    if (showNames)
        inner += galleryLinkText(name);
    return QStringLiteral("<td><p align=\"center\"><a href=\"") + galleryLinkTarget(nameBytes)
           + QStringLiteral("\">") + inner + QStringLiteral("</a></p>");
}

QStringList htmlPageLines(const HtmlPageContent &content)
{
    QStringList lines;
    lines << QStringLiteral("<html>")
          << QStringLiteral("<head>")
          // Names need not be ASCII: say how the page is encoded.
          << QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">")
          << QStringLiteral("<meta name=\"GENERATOR\" content=\"Glintwave v") + content.version
                 + QStringLiteral("\" > ")
          << QStringLiteral("<title>") + content.title + QStringLiteral("</title>")
          << QStringLiteral("</head>")
          << QStringLiteral("<body>")
          << QStringLiteral("<center>")
          << QStringLiteral("<h1>") + content.title + QStringLiteral("</h1>")
          << QStringLiteral("<table border=\"1\">");

    const int perRow = cellsPerRow(content.itemsPerRow);
    const int count = content.names.size();
    for (int first = 0; first < count; first += perRow) {
        lines << QStringLiteral("<tr>");
        const int end = int(std::min<qint64>(count, qint64(first) + perRow));
        for (int i = first; i < end; ++i) {
            const QString &name = content.names.at(i);
            const auto found = content.thumbs.constFind(name);
            const GalleryThumb *thumb = found == content.thumbs.constEnd() ? nullptr : &found.value();
            lines << galleryCellLine(name, content.nameBytes(i), content.showNames, thumb);
        }
        lines << QStringLiteral("</tr>");
    }

    lines << QStringLiteral("</table>") << QStringLiteral("</center>") << QStringLiteral("</body></html>");
    return lines;
}

QByteArray htmlPageBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

HtmlPageWriter::HtmlPageWriter(HtmlPageRequest request) : m_request(std::move(request)) {}

QString HtmlPageWriter::checkFileName(const QString &fileName)
{
    if (fileName.trimmed().isEmpty())
        return QStringLiteral("Please type a file name for the page.");
    if (fileName.contains('/') || fileName.contains(QChar(0)))
        return QStringLiteral("A file name cannot contain \"/\".");
    if (fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return QStringLiteral("\"%1\" cannot be used as a file name.").arg(fileName);
    return {};
}

namespace {

// Files and the folder this write created, removed again when it fails.
struct CreatedFiles {
    QStringList files;
    QString folder;
    void undo() const
    {
        for (const QString &file : files)
            QFile::remove(file);
        if (!folder.isEmpty())
            QDir().rmdir(folder);   // only when nothing else is in it
    }
};

// An HTML page by its name and its first bytes: the only kind of file a new
// page may replace (Untitled.htm from last time). An empty file counts.
bool isHtmlPage(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (!info.isFile() || (suffix != QLatin1String("htm") && suffix != QLatin1String("html")))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray head = file.read(512);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    head = head.trimmed();
    return head.isEmpty() || head.startsWith('<');
}

QString cannotWrite(const QString &what, const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write %1 \"%2\":\n%3").arg(what, QDir::toNativeSeparators(path), reason);
}

} // namespace

HtmlPageResult HtmlPageWriter::write(const Progress &progress)
{
    HtmlPageResult result;
    const QString nameProblem = checkFileName(m_request.fileName);
    if (!nameProblem.isEmpty()) {
        result.message = nameProblem;
        return result;
    }
    const QDir folder(m_request.folder);
    result.pagePath = folder.filePath(m_request.fileName);
    const QFileInfo existing(result.pagePath);
    if (existing.isDir()) {
        result.message = cannotWrite(QStringLiteral("the page"), result.pagePath,
                                     QStringLiteral("A folder of that name exists."));
        return result;
    }
    // The page replaces an earlier page, never a picture or any other file
    // of the user's.
    const bool listed = m_request.content.names.contains(m_request.fileName);
    if ((listed || existing.exists()) && !isHtmlPage(result.pagePath)) {
        result.message = QStringLiteral("\"%1\" is %2, not an HTML page: the gallery page would replace it.\n"
                                        "Please choose another file name.")
                             .arg(m_request.fileName, listed ? QStringLiteral("one of the listed files")
                                                             : QStringLiteral("a file in this folder"));
        return result;
    }

    // Opening first finds an unwritable folder or a refused name before any
    // thumbnail is made.
    QSaveFile page(result.pagePath);
    if (!page.open(QIODevice::WriteOnly)) {
        result.message = cannotWrite(QStringLiteral("the page"), result.pagePath, page.errorString());
        return result;
    }

    HtmlPageContent content = m_request.content;
    content.thumbs.clear();
    CreatedFiles created;

    if (m_request.thumbnails) {
        const int width = thumbnailWidth(m_request.thumbWidth);
        const QString folderName = thumbnailFolderName(m_request.fileName);
        const QString thumbFolder = folder.filePath(folderName);
        if (!QFileInfo(thumbFolder).isDir()) {
            if (!QDir().mkpath(thumbFolder)) {
                page.cancelWriting();
                result.message = cannotWrite(QStringLiteral("the thumbnail folder"), thumbFolder,
                                             QStringLiteral("The folder could not be created."));
                return result;
            }
            created.folder = thumbFolder;
        }

        QList<int> pictures;
        for (int i = 0; i < content.names.size(); ++i) {
            if (isThumbnailPicture(content.names.at(i)))
                pictures << i;
        }
        const QByteArray folderBytes = QFile::encodeName(folder.path());
        int done = 0;
        for (const int i : pictures) {
            const QString &name = content.names.at(i);
            const OpenedPath source(RawPath::join(folderBytes, content.nameBytes(i)));
            const QImage thumb = source.path().isEmpty() ? QImage() : makeThumbnail(source.path(), width);
            if (!thumb.isNull()) {
                const QString thumbName = thumbnailFileName(name);
                const QString thumbPath = QDir(thumbFolder).filePath(thumbName);
                const bool existed = QFileInfo::exists(thumbPath);
                QSaveFile file(thumbPath);
                const bool saved = file.open(QIODevice::WriteOnly) && thumb.save(&file, "PNG") && file.commit();
                if (!saved) {
                    const QString reason = file.errorString();
                    page.cancelWriting();
                    created.undo();
                    result.message = cannotWrite(QStringLiteral("the thumbnail"), thumbPath, reason);
                    return result;
                }
                if (!existed)
                    created.files << thumbPath;
                content.thumbs.insert(name, GalleryThumb{galleryLinkTarget(folderName) + '/' + galleryLinkTarget(thumbName),
                                                         thumb.width(), thumb.height()});
            }
            ++done;
            if (progress && !progress(done, pictures.size())) {
                page.cancelWriting();
                created.undo();
                result.status = HtmlPageResult::Cancelled;
                return result;
            }
        }
        result.thumbnailCount = content.thumbs.size();
        if (content.thumbs.isEmpty())
            created.undo();   // no pictures: leave no empty folder behind
    }

    const QByteArray bytes = htmlPageBytes(htmlPageLines(content));
    if (page.write(bytes) != bytes.size() || !page.commit()) {
        const QString reason = page.errorString();
        page.cancelWriting();
        created.undo();
        result.message = cannotWrite(QStringLiteral("the page"), result.pagePath, reason);
        return result;
    }
    result.status = HtmlPageResult::Written;
    return result;
}
