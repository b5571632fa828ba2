// The viewer window's ties to the main window: the list its keys step
// through, the desktop's outputs, and the Effects menu.
#include "app/frmMain.h"

#include "app/OnDemandParts.h"
#include "browser/DetailModel.h"
#include "browser/FileListModel.h"
#include "effects/ui/EffectsMenu.h"
#include "viewer/ui/frmMedia.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

frmMedia *frmMain::viewer(bool create)
{
    if (!m_viewer && create) {
        m_viewer = new frmMedia(m_options, m_state, &m_viewerEntries, &m_outputs, &m_parts);
        m_viewer->setScreen(screen());   // full screen where the main window is
        connect(m_viewer, &frmMedia::popupRequested, mnuEffects,
                [this](const QPoint &globalPos) { mnuEffects->popup(globalPos); });
        connect(m_viewer, &frmMedia::slideTick, this, &frmMain::slideTick);
        // Pictures decoded ahead belong to the list they were taken from.
        connect(this, &frmMain::buildStarted, m_viewer, &frmMedia::dropPreloaded);
    }
    return m_viewer;
}

void frmMain::wireViewer()
{
    // The hidden Effects menu: never in the menu bar, popped up by the viewer.
    mnuEffects = buildEffectsMenu(this, [this](int16_t keyCode, int16_t shift) {
        viewer(true)->Form_KeyDown(keyCode, shift);
    });
    mnuEffects->setObjectName("mnuEffects");
}

int frmMain::ViewerEntries::currentEntry() const
{
    return m_main.currentEntry();
}

int frmMain::ViewerEntries::entryCount() const
{
    return m_main.entryCount();
}

void frmMain::ViewerEntries::selectEntry(int number)
{
    m_main.selectEntry(number);
}

void frmMain::ViewerEntries::showEntry()
{
    m_main.ShowMedia();
}

QString frmMain::ViewerEntries::saveFolder() const
{
    // A picture named on the command line has no browsed folder: it is
    // saved beside itself, as the batch mode does.
    const QString &file = m_main.m_state.CommandLine;
    return file.isEmpty() ? m_main.currentFolder() : QFileInfo(file).absolutePath();
}

bool frmMain::ViewerEntries::dropEntry(const QString &path)
{
    return m_main.dropViewerEntry(path);
}

void frmMain::ViewerEntries::entryChanged(const QString &path)
{
    m_main.followRewrittenFile(path);
}

bool frmMain::dropViewerEntry(const QString &path)
{
    if (!m_state.CommandLine.isEmpty() || !m_state.CommandLineBytes.isEmpty())
        return false;   // a file named on the command line is the whole list
    // The entry shown is the current one, unless the name says otherwise
    // (a path through a descriptor names none).
    const QString name = QFileInfo(path).fileName();
    int number = currentEntry();
    for (int n = 1; entryName(number) != name && n <= entryCount(); ++n)
        if (entryName(n) == name)
            number = n;
    if (number < 1)
        return false;
    // Both models: the other view is built from them too.
    const QByteArray gone = entryRawName(number);
    m_listModel->remove(gone);
    m_detailModel->removeFiles({gone});
    lstPics.refresh();
    showFileCount();
    const int left = entryCount();
    if (left < 1)
        return false;
    selectEntry(std::min(number, left));
    return true;
}
