// Connects the viewer window to the key command dispatcher and the Effects
// menu: every key and every menu leaf ends in the same handler.
#include "app/frmMain.h"

#include "effects/ui/DeskWall.h"
#include "effects/ui/EffectsMenu.h"
#include "effects/KeyDispatcher.h"
#include "viewer/ui/PictureBox.h"
#include "effects/ui/PictureOutput.h"
#include "viewer/PictureSurface.h"
#include "viewer/ui/frmMedia.h"

#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
const QString NoPrinter = QStringLiteral("The picture cannot be printed: there is no printer.");
}

frmMedia *frmMain::viewer(bool create)
{
    if (!m_viewer && create) {
        m_viewer = new frmMedia(m_options, m_state);
        m_viewer->setScreen(screen());   // full screen where the main window is
        connect(m_viewer, &frmMedia::keyDown, this, [this](int16_t keyCode, int16_t shift) {
            takeViewerPicture();
            m_keys->Form_KeyDown(keyCode, shift);
        });
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
    m_keys = new KeyDispatcher(this);
    ViewerHooks &h = m_keys->hooks();
    h.closeViewer = [this] {
        if (frmMedia *v = viewer(false))
            v->close();
    };
    h.currentEntry = [this] { return currentEntry(); };
    h.entryCount = [this] { return entryCount(); };
    h.selectEntry = [this](int number) { selectEntry(number); };
    h.showMedia = [this] { ShowMedia(); };
    h.togglePaused = [this] { return m_state.PlaybackPaused = !m_state.PlaybackPaused; };
    // A picture named on the command line has no browsed folder: it is
    // saved beside itself, as the batch mode does.
    h.saveFolder = [this] {
        return m_state.CommandLine.isEmpty() ? currentFolder()
                                             : QFileInfo(m_state.CommandLine).absolutePath();
    };
    h.pictureChanged = [this] { showDispatcherPicture(); };
    h.refreshView = [this] { takeViewerPicture(); };
    h.showMessage = [this](const QString &text) {
        QMessageBox::information(viewer(false), "Glintwave", text);
    };
    h.copyPicture = [](const QImage &picture) { copyToClipboard(picture); };
    h.preparePrint = [](const QImage &picture, int16_t shift, QString *why) -> OutputJob {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            *why = NoPrinter;
            return {};
        }
        // Made here, on the window's thread; only the painting runs on the worker.
        auto printer = std::make_shared<QPrinter>(info, QPrinter::HighResolution);
        return [picture, shift, printer] { return PrintPic(picture, shift, *printer).error; };
    };
    h.prepareWallpaper = [](const QImage &picture, QString *) -> OutputJob {
        return [picture] { return DeskWall(picture).message; };
    };
    wirePlayerHooks(h);

    // The hidden Effects menu: never in the menu bar, popped up by the viewer.
    mnuEffects = buildEffectsMenu(this, [this](int16_t keyCode, int16_t shift) {
        viewer(true)->Form_KeyDown(keyCode, shift);
    });
    mnuEffects->setObjectName("mnuEffects");
}

void frmMain::takeViewerPicture()
{
    // The viewer owns what is shown (a drag or a new file may have changed
    // it); the dispatcher works on a copy taken before each command.
    frmMedia *v = viewer(false);
    if (!v || m_keys->busy())
        return;
    PictureView view;
    view.image = v->picMedia->picture();
    view.left = v->picMedia->x();
    view.top = v->picMedia->y();
    view.screen = v->screenSize();
    view.window = v->size();
    view.bgColour = Surface::toBgr(m_options.BgColour.rgb());
    view.edgeTuning = m_options.EdgeTuning;
    m_keys->setView(view);
}

void frmMain::showDispatcherPicture()
{
    frmMedia *v = viewer(false);
    if (!v)
        return;
    const PictureView &view = m_keys->view();
    v->picMedia->setPicture(view.image);
    v->picMedia->move(view.left, view.top);
    v->update(); // the gradient shows again where the picture was
}
