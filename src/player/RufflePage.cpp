#include "player/RufflePage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#ifndef GW_RUFFLE_BUILD_DIR
#define GW_RUFFLE_BUILD_DIR ""
#endif

namespace rufflepage {

static QString pick(const QString &name, std::initializer_list<std::pair<const char *, const char *>> table,
                    const char *fallback)
{
    for (const auto &[ours, theirs] : table)
        if (name.compare(QLatin1String(ours), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(theirs);
    return QString::fromLatin1(fallback);
}

QString windowModeOption(const QString &windowMode)
{
    return pick(windowMode, {{"Window", "window"}, {"Opaque", "opaque"}, {"Transparent", "transparent"},
                             {"Direct", "direct"}, {"GPU", "gpu"}}, "window");
}

QString qualityOption(const QString &quality)
{
    return pick(quality, {{"Low", "low"}, {"AutoLow", "low"}, {"Medium", "medium"},
                          {"AutoHigh", "high"}, {"High", "high"}, {"Best", "best"}}, "high");
}

QString scaleOption(const QString &scale)
{
    return pick(scale, {{"ShowAll", "showAll"}, {"NoBorder", "noBorder"}, {"ExactFit", "exactFit"},
                        {"NoScale", "noScale"}}, "showAll");
}

// JSON text safe to place inside a <script> element.
static QString scriptJson(const QJsonValue &v)
{
    QJsonObject wrap{{QStringLiteral("v"), v}};
    QString s = QString::fromUtf8(QJsonDocument(wrap).toJson(QJsonDocument::Compact));
    s = s.mid(5, s.size() - 6);   // strip {"v": and }
    return s.replace(QLatin1String("</"), QLatin1String("<\\/"));
}

QString html(const QUrl &ruffleFolder, const QUrl &movie, const Settings &settings, int pageNumber)
{
    QString folder = ruffleFolder.toString(QUrl::FullyEncoded);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    QJsonObject config{
        {QStringLiteral("publicPath"), folder},
        {QStringLiteral("autoplay"), QStringLiteral("on")},
        {QStringLiteral("unmuteOverlay"), QStringLiteral("hidden")},
        {QStringLiteral("splashScreen"), false},
        {QStringLiteral("polyfills"), false},
        {QStringLiteral("wmode"), windowModeOption(settings.windowMode)},
        {QStringLiteral("quality"), qualityOption(settings.quality)},
        {QStringLiteral("scale"), scaleOption(settings.scale)},
        {QStringLiteral("letterbox"), QStringLiteral("on")},
        {QStringLiteral("allowScriptAccess"), false},
        {QStringLiteral("openUrlMode"), QStringLiteral("deny")},
    };
    const QString script = scriptJson(folder + QStringLiteral("ruffle.js"));
    QString page = QStringLiteral(R"PAGE(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Flash movie</title>
<style>html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;background:#000}
#player{display:block;width:100%;height:100%}</style>
<script>
function gwReport(kind, data) { console.log("%1" + kind + ":" + JSON.stringify(data || {})); }
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = %2;
</script>
<script src=%3 onerror="gwReport('error', {message: 'ruffle.js could not be loaded'})"></script>
</head><body><script>
window.addEventListener("load", function () {
  try {
    var player = window.RufflePlayer.newest().createPlayer();
    player.id = "player";
    document.body.appendChild(player);
    player.addEventListener("loadedmetadata", function () {
      var m = player.metadata || {};
      gwReport("metadata", {numFrames: m.numFrames, frameRate: m.frameRate,
                            width: m.width, height: m.height});
    });
    Promise.resolve(player.load({url: %4})).catch(function (e) {
      gwReport("error", {message: String(e)});
    });
  } catch (e) {
    gwReport("error", {message: String(e)});
  }
});
</script></body></html>
)PAGE");
    return page.arg(QLatin1String(MessagePrefix) + QString::number(pageNumber) + QLatin1Char(':'),
                    QString::fromUtf8(QJsonDocument(config).toJson(QJsonDocument::Compact))
                        .replace(QLatin1String("</"), QLatin1String("<\\/")),
                    script, scriptJson(movie.toString(QUrl::FullyEncoded)));
}

static QString &overrideFolder()
{
    static QString folder;
    return folder;
}

void setRuffleFolderOverride(const QString &folder)
{
    overrideFolder() = folder;
}

QString findRuffleFolder()
{
    QStringList candidates;
    if (!overrideFolder().isEmpty())
        candidates << overrideFolder();
    const QString bin = QCoreApplication::applicationDirPath();
    if (!bin.isEmpty()) {
        candidates << bin + QStringLiteral("/../ruffle/node_modules/@ruffle-rs/ruffle")
                   << bin + QStringLiteral("/../share/glintwave/ruffle");
    }
    candidates << QString::fromUtf8(GW_RUFFLE_BUILD_DIR);
    for (const QString &c : candidates) {
        if (!c.isEmpty() && QFileInfo(c + QStringLiteral("/ruffle.js")).isFile())
            return QDir(c).canonicalPath();
    }
    return QString();
}

}
