// Opening the current entry, and the thumbnail build.
#include "frmMain.h"

#include "AppState.h"
#include "FileListModel.h"
#include "OptionSet.h"

#include <QFileInfo>
#include <QMessageBox>

void frmMain::ShowMedia()
{
    // Filled in when the viewer lands.
}

void frmMain::thumbnailBuild()
{
    listModel()->setNames(lstPics.names());
}
