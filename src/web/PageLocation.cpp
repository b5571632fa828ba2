#include "web/PageLocation.h"

#include "core/Twips.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

QUrl browseTargetUrl(const QString &target)
{
    const QString text = target.trimmed();
    // A path is taken as a path even when it holds "#", "?" or "%".
    if (QDir::isAbsolutePath(text))
        return QUrl::fromLocalFile(text);
    const QFileInfo relative(text);
    if (!text.isEmpty() && relative.exists())
        return QUrl::fromLocalFile(relative.absoluteFilePath());
    const QUrl url = QUrl::fromUserInput(text);
    // Nothing usable: an empty page, so that the browser still finishes loading.
    return url.isValid() && !url.isEmpty() ? url : QUrl(QStringLiteral("about:blank"));
}

namespace {
QString addressOf(const QUrl &url)
{
    return url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
}
}

QString locationName(const QString &title, const QUrl &url)
{
    if (title.isEmpty())
        return addressOf(url);
    // A whole address cannot be asked for fully decoded (QUrl warns): decode
    // what it gives.
    auto decoded = [&url](QUrl::FormattingOptions options) {
        return QUrl::fromPercentEncoding(url.toString(options | QUrl::FullyEncoded).toUtf8());
    };
    auto withoutScheme = [&decoded](QUrl::FormattingOptions extra) {
        QString text = decoded(QUrl::RemoveScheme | extra);
        if (text.startsWith(QLatin1String("//")))
            text.remove(0, 2);
        if (extra & QUrl::StripTrailingSlash && text.endsWith('/'))
            text.chop(1);
        return text;
    };
    // The stand-ins escape some characters of the address and not others:
    // compare them unescaped.
    const QString plain = QUrl::fromPercentEncoding(title.toUtf8());
    const QStringList standIns = {
        decoded(QUrl::None),
        withoutScheme({}),
        withoutScheme(QUrl::StripTrailingSlash),
        url.isLocalFile() ? url.fileName(QUrl::FullyDecoded) : QString(),
    };
    for (const QString &standIn : standIns) {
        if (!standIn.isEmpty() && (title == standIn || plain == standIn))
            return addressOf(url);
    }
    return title;
}

QRect browserArea(const QSize &clientSize)
{
    const int margin = twips::toPixels(45);
    const int width = twips::toPixels(twips::fromPixels(clientSize.width()) - 100);
    const int height = twips::toPixels(twips::fromPixels(clientSize.height()) - 100);
    return QRect(margin, margin, std::max(0, width), std::max(0, height));
}
