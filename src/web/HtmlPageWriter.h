#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

// A thumbnail shown in a gallery cell: its address relative to the page and
// its size in pixels.
struct GalleryThumb {
    QString source;
    int width = 0;
    int height = 0;
};

// Everything a gallery page shows. Names are bare file names in list order.
struct HtmlPageContent {
    QString title;          // as typed: it is the user's own markup
    QString itemsPerRow;    // as typed
    QStringList names;
    bool showNames = true;
    QString version;        // "major.minor.revision"
    QHash<QString, GalleryThumb> thumbs;   // names without one get no image
    // The bytes of each name, in the order of names, where the text cannot
    // spell it (not valid UTF-8); may be empty or shorter than names.
    QList<QByteArray> rawNames;

    // The bytes that name entry i on disk.
    QByteArray nameBytes(int i) const;
};

// Cells per table row from the typed text: the whole part of its leading
// number, at least 1.
int cellsPerRow(const QString &text);

// A file name as a link target (percent-encoded) and as page text
// (HTML-escaped), so that no name can break the page or inject markup.
QString galleryLinkTarget(const QString &name);
QString galleryLinkTarget(const QByteArray &nameBytes);
QString galleryLinkText(const QString &name);

// One table cell, linking to the file's own bytes; thumb may be null.
QString galleryCellLine(const QString &name, const QByteArray &nameBytes, bool showNames, const GalleryThumb *thumb);

// The page's lines in order, without line ends.
QStringList htmlPageLines(const HtmlPageContent &content);

// The lines as written to disk: UTF-8, each line ended by CR LF.
QByteArray htmlPageBytes(const QStringList &lines);

struct HtmlPageRequest {
    QString folder;          // the folder shown in the main window
    QString fileName;        // as typed
    HtmlPageContent content; // thumbs are filled in by the writer
    bool thumbnails = false;
    QString thumbWidth;      // as typed
};

struct HtmlPageResult {
    enum Status { Written, Failed, Cancelled };
    Status status = Failed;
    QString message;         // for the user when Failed
    QString pagePath;
    int thumbnailCount = 0;
};

// Writes a gallery page whole or not at all: the page goes through a
// temporary file that replaces the target only when complete, and on any
// failure the thumbnails made for it are removed again. A name that belongs
// to a listed file or to any existing file that is not an HTML page is
// refused: only an earlier page is ever replaced. Safe to run on a worker
// thread.
class HtmlPageWriter
{
public:
    // Called after each thumbnail; returning false cancels the write.
    using Progress = std::function<bool(int done, int total)>;

    explicit HtmlPageWriter(HtmlPageRequest request);

    // Empty when the name can be a page's file name, otherwise why not.
    static QString checkFileName(const QString &fileName);

    HtmlPageResult write(const Progress &progress = {});

private:
    HtmlPageRequest m_request;
};
