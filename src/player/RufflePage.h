#pragma once
#include <QString>
#include <QUrl>

// The local page that hosts Ruffle for one movie.
namespace rufflepage {

// The player settings as the viewer names them ("Window", "High", "ShowAll").
struct Settings {
    QString windowMode = QStringLiteral("Window");
    QString quality = QStringLiteral("High");
    QString scale = QStringLiteral("ShowAll");
};

// The same settings in Ruffle's words; unknown names fall back to the
// defaults above rather than letting Ruffle guess.
QString windowModeOption(const QString &windowMode);
QString qualityOption(const QString &quality);
QString scaleOption(const QString &scale);

// Console lines the page writes start with this, followed by
// "<page number>:<kind>:<json>".
inline constexpr char MessagePrefix[] = "glintwave:";

// The whole page: loads ruffle.js from `ruffleFolder` and plays `movie`.
// Its reports carry `pageNumber`, so that a late report of a page already
// replaced by the next movie can be told apart.
QString html(const QUrl &ruffleFolder, const QUrl &movie, const Settings &settings, int pageNumber = 0);

// Where Ruffle is installed: the override if set, else next to the program
// (<bin>/../ruffle/node_modules/@ruffle-rs/ruffle, <bin>/../share/glintwave/ruffle),
// else the build's copy. Empty when none holds ruffle.js.
QString findRuffleFolder();
void setRuffleFolderOverride(const QString &folder);

}
