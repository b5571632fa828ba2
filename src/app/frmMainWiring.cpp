// The main window's menu bar and CD button: each opens another subsystem's window.
#include "app/frmMain.h"

#include "app/OnDemandParts.h"
#include "browser/FileListModel.h"
#include "core/ProgramFolder.h"
#include "info/ui/SnatchCommand.h"
#include "info/ui/frmAbout.h"
#include "info/ui/frmKeyDoc.h"
#include "setup/ui/frmOptions.h"

#include <QMenu>
#include <QMessageBox>
#include <QToolButton>

void frmMain::wireMenus()
{
    auto named = [](QAction *a, const char *name) {
        a->setObjectName(name);
        return a;
    };
    named(mnuFile->addAction("Snatch", this, &frmMain::mnuSnatch_Click), "mnuSnatch");
    named(mnuFile->addSeparator(), "mnudsha");
    named(mnuFile->addAction("&Setup", this, [this] { showSetupDialog(this, m_options, m_drives); }),
          "mnuSetup");
    named(mnuFile->addSeparator(), "mnudshb");
    named(mnuFile->addAction("&Build HTML Page", this,
                             [this] {
                                 partShown(m_parts.showHtmlBuilder(
                                     this, [this] { return currentFolder(); },
                                     [this] { return lstPics.names(); },
                                     [this] { return lstPics.rawNames(); }));
                             }),
          "mnuHTML");
    named(mnuFile->addSeparator(), "mnudsh");
    named(mnuFile->addAction("E&xit", this, &QWidget::close), "mnuExit")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    named(mnuHelp->addAction("&Help", this, [this] { partShown(m_parts.showHelpPage()); }), "mnuReadme")->setShortcut(Qt::Key_F1);
    named(mnuHelp->addAction("&Keys", this, [this] { showKeyReference(this); }), "mnuKeyDoc");
    named(mnuHelp->addAction("&About", this,
                             [this] {
                                 showAbout(
                                     this, [this](const QString &address) { showPageBrowserFor(address); },
                                     m_state.DecodingNotice);
                             }),
          "mnuAbout");

    connect(picCD, &QToolButton::clicked, this, [this] { partShown(m_parts.showCdPlayer(this, m_options.CDonTop)); });
}

void frmMain::showPageBrowserFor(const QString &target)
{
    m_state.BrowseTarget = target;
    partShown(m_parts.showPageBrowser(target));
}

void frmMain::partShown(bool shown)
{
    if (!shown)
        QMessageBox::warning(this, QStringLiteral("Glintwave"), m_parts.problem());
}

void frmMain::mnuSnatch_Click()
{
    if (listModel()->rowCount() == 0)
        return; // nothing listed: nothing to do
    // By the name's bytes, so that a Latin-1 name is copied as it is; an
    // empty name (nothing selected) is reported as a failed copy.
    const QByteArray name = entryRawName(currentEntry());
    runSnatch(this, currentFolder(), name, programFolder());
}
