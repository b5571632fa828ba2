// Saves pictures of the setup dialog, the key reference and the about box
// into the folder given as the first argument (run under Xvfb).
#include "core/OptionSet.h"
#include "info/ui/frmAbout.h"
#include "info/ui/frmKeyDoc.h"
#include "setup/ui/frmOptions.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

#include "SaveWindow.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    OptionSet o;
    o.ScaleBig = true;
    o.BgColour = QColor(0x40, 0x80, 0xC0);
    o.EdgeTuning = 40;
    o.TextFontName = "Liberation Serif";
    o.TextFontSize = 12;
    o.CDPlaybackDrive = "/";

    frmOptions setup(o, {"/"});
    frmKeyDoc keys;
    keys.lstKeyDoc->setCurrentRow(0);
    frmAbout about({});
    bool ok = saveWindow(&setup, out + "/setup-dialog.png");
    ok = saveWindow(&keys, out + "/info-keys.png") && ok;
    ok = saveWindow(&about, out + "/info-about.png") && ok;
    return ok ? 0 : 1;
}
