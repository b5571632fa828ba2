// The viewer window's ties to the main window: the list its keys step
// through, the desktop's outputs, and the Effects menu.
#include "app/frmMain.h"

#include "effects/ui/EffectsMenu.h"
#include "viewer/ui/frmMedia.h"

#include <QFileInfo>
#include <QMenu>

frmMedia *frmMain::viewer(bool create)
{
    if (!m_viewer && create) {
        m_viewer = new frmMedia(m_options, m_state, &m_viewerEntries, &m_outputs);
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
