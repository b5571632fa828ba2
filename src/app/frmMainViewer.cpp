// Connects the viewer window to the key command dispatcher and the Effects
// menu: every key and every menu leaf ends in the same handler.
#include "frmMain.h"

#include "EffectsMenu.h"
#include "KeyDispatcher.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "frmMedia.h"

#include <QMenu>
#include <QMessageBox>

void frmMain::wireViewer()
{
    m_keys = new KeyDispatcher(this);
    ViewerHooks &h = m_keys->hooks();
    h.closeViewer = [] {
        if (frmMedia *v = frmMedia::viewer(false))
            v->close();
    };
    h.currentEntry = [this] { return currentEntry(); };
    h.selectEntry = [this](int number) { selectEntry(number); };
    h.showMedia = [this] { ShowMedia(); };
    h.saveFolder = [this] { return currentFolder(); };
    h.pictureChanged = [this] { showDispatcherPicture(); };
    h.refreshView = [this] { takeViewerPicture(); };
    h.showMessage = [](const QString &text) {
        QMessageBox::information(frmMedia::viewer(false), "Glintwave", text);
    };
    wirePlayerHooks(h);

    frmMedia::setKeyHandler([this](int16_t &keyCode, int16_t &shift) {
        takeViewerPicture();
        m_keys->Form_KeyDown(keyCode, shift);
    });
    // The hidden Effects menu: never in the menu bar, popped up by the viewer.
    mnuEffects = buildEffectsMenu(this, [](int16_t keyCode, int16_t shift) {
        frmMedia::viewer(true)->Form_KeyDown(keyCode, shift);
    });
    mnuEffects->setObjectName("mnuEffects");
    frmMedia::setPopupHook([this](const QPoint &globalPos) { mnuEffects->popup(globalPos); });
}

void frmMain::takeViewerPicture()
{
    // The viewer owns what is shown (a drag or a new file may have changed
    // it); the dispatcher works on a copy taken before each command.
    frmMedia *v = frmMedia::viewer(false);
    if (!v || m_keys->busy())
        return;
    PictureView view;
    view.image = v->picMedia->picture();
    view.left = v->picMedia->x();
    view.top = v->picMedia->y();
    view.screen = v->screenSize();
    view.window = v->size();
    view.bgColour = options().BgColour;
    view.edgeTuning = options().EdgeTuning;
    m_keys->setView(view);
}

void frmMain::showDispatcherPicture()
{
    frmMedia *v = frmMedia::viewer(false);
    if (!v)
        return;
    const PictureView &view = m_keys->view();
    v->picMedia->setPicture(view.image);
    v->picMedia->move(view.left, view.top);
    v->update(); // the gradient shows again where the picture was
}
