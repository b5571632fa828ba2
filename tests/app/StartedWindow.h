// The main window as a start makes it: its own options file, loaded, shown.
#pragma once

#include "app/frmMain.h"
#include "TestParts.h"
#include "core/SettingsStore.h"

#include <memory>

inline std::unique_ptr<frmMain> startedWindow(const QString &optionsFile)
{
    auto w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(optionsFile), testParts());
    w->Form_Load();
    w->show();
    return w;
}
