#include "AppState.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QApplication>

#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Glintwave");
    auto store = std::make_shared<SettingsStore>();
    frmMain window(store);
    window.Form_Load();
    window.show();
    return app.exec();
}
