// The main window's construction, layout, load and unload.
#include "app/frmMain.h"
#include "viewer/ui/frmMedia.h"

#include "browser/DetailModel.h"
#include "browser/DriveList.h"
#include "browser/FileListModel.h"
#include "core/ui/Module1.h"
#include "core/Rnd.h"
#include "core/SettingsStore.h"
#include "core/Twips.h"
#include "core/WindowPlacement.h"
#include "browser/ui/frmFileRead.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStringListModel>
#include "core/ui/TabRows.h"
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {
// The smallest outer size at which every control still fits.
constexpr int MinWidthPx = 6800 / twips::PerPixel;
constexpr int MinHeightPx = 5600 / twips::PerPixel;

QPixmap cdButtonPicture()
{
    QPixmap pix(30, 30);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(11, 11), 16);
    g.setColorAt(0, QColor(235, 240, 255));
    g.setColorAt(0.5, QColor(170, 190, 230));
    g.setColorAt(1, QColor(120, 120, 190));
    p.setBrush(g);
    p.setPen(QPen(QColor(70, 70, 110), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 27, 27));
    p.setBrush(QColor(250, 250, 250));
    p.drawEllipse(QRectF(11, 11, 8, 8));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 160), 1.5));
    p.drawArc(QRectF(5, 5, 20, 20), 30 * 16, 60 * 16);
    return pix;
}

// Breaks a ";"-separated caption into lines no wider than width, each break
// after a ";"; a single part wider than that keeps a line of its own.
QString wrapAfterSemicolons(const QString &text, const QFontMetrics &metrics, int width)
{
    const QStringList parts = text.split(';');
    QStringList lines;
    QString line;
    for (int i = 0; i < parts.size(); ++i) {
        const QString part = parts[i] + (i + 1 < parts.size() ? ";" : "");
        if (!line.isEmpty() && metrics.horizontalAdvance(line + part) > width) {
            lines << line;
            line.clear();
        }
        line += part;
    }
    lines << line;
    return lines.join('\n');
}

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(left, top, width, height);
}
} // namespace

static void initResources() { Q_INIT_RESOURCE(glintwave); }

frmMain::frmMain(std::shared_ptr<SettingsStore> store, OnDemandParts &parts)
    : m_store(std::move(store)), m_parts(parts)
{
    initResources();
    setWindowTitle("Glintwave");
    setWindowIcon(QIcon(":/glintwave.svg"));
    setMinimumSize(MinWidthPx, MinHeightPx);
    // The fixed pixel layout assumes a compact font.
    QFont compact = font();
    compact.setPixelSize(11);
    setFont(compact);
    createControls();
    createMenus();
    m_fileRead = new frmFileRead(this);
    m_fileRead->hide();
}

frmMain::~frmMain()
{
    // The viewer works on this window's state and list: a viewer closed but
    // not yet deleted (its deletion is posted) must go before they do.
    delete m_viewer.data();
}

void frmMain::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    const QString grey = "background-color: #E0E0E0;";

    cboDrive = new QComboBox(client);
    cboDrive->setStyleSheet("QComboBox { " + grey + " }");
    place(cboDrive, 2, 1, 145, 21);

    lstDir = new QListView(client);
    lstDir->setStyleSheet(grey);
    m_dirModel = new QStringListModel(this);
    lstDir->setModel(m_dirModel);
    lstDir->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstDir->setUniformItemSizes(true);
    place(lstDir, 2, 26, 145, 291);

    cboAddress = new QComboBox(client);
    cboAddress->setEditable(true);
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setCompleter(nullptr); // our own completion from the history
    cboAddress->installEventFilter(this);   // deleting keys (see eventFilter)
    cboAddress->lineEdit()->installEventFilter(this);
    cboAddress->setStyleSheet("QComboBox { " + grey + " }");
    place(cboAddress, 149, 1, 266, 21);

    cmdGo = new QPushButton("&Go", client);
    place(cmdGo, 417, 1, 24, 21);

    m_listModel = new FileListModel(this);
    lvPics = new QListView(client);
    lvPics->setModel(m_listModel);
    lvPics->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Several entries for the file commands; a plain click still opens one.
    lvPics->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvPics->setDragEnabled(true);
    lvPics->setDragDropMode(QAbstractItemView::DragOnly);
    lvPics->viewport()->installEventFilter(this);   // the press's keys (see eventFilter)
    lvPics->setUniformItemSizes(true);
    lvPics->setLayoutMode(QListView::Batched);
    lvPics->setBatchSize(2000);
    place(lvPics, 148, 25, 129, 97);

    m_detailModel = new DetailModel(this);
    grdPics = new QTableView(client);
    grdPics->setModel(m_detailModel);
    grdPics->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPics->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdPics->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdPics->setDragEnabled(true);
    grdPics->setDragDropMode(QAbstractItemView::DragOnly);
    grdPics->verticalHeader()->hide();
    grdPics->verticalHeader()->setDefaultSectionSize(18);
    grdPics->horizontalHeader()->setHighlightSections(false);
    grdPics->horizontalHeader()->setStretchLastSection(false);
    grdPics->setWordWrap(false);
    grdPics->horizontalHeader()->setSortIndicatorShown(true);
    grdPics->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grdPics->hide();
    grdPics->installEventFilter(this); // Enter opens the current row
    grdPics->viewport()->installEventFilter(this);
    grdPics->horizontalHeader()->viewport()->installEventFilter(this);

    // Every caption whole: the four tabs take two rows in the column, down
    // to where the pages begin.
    tbsMedia = new TabRows(client);
    for (const char *caption : TypeFilters::TabCaptions)
        tbsMedia->addTab(caption);
    place(tbsMedia, 320, 23, 121, 42);

    // Each page holds its boxes one under the other, 240 twips apart from a
    // top of 120; a caption too long for the page goes on more lines, broken
    // after a ";", and the boxes below it move down.
    for (int page = 0; page < 4; ++page) {
        auto *p = new QWidget(client);
        p->setObjectName(QString("picOptions%1").arg(page));
        p->setAutoFillBackground(true);
        picOptions[page] = p;
        place(p, page == 0 ? 324 : -20000, 65, 112, 153);
        p->setEnabled(page == 0);
        const QList<int> boxes = TypeFilters::boxesOnPage(page);
        int top = twips::toPixels(120);
        for (const int box : boxes) {
            auto *check = new QCheckBox(QStringLiteral("X"), p);
            const int width = twips::toPixels(1575);
            // What the box needs beside its text: the indicator and the gap.
            const int room = width - (check->sizeHint().width() - check->fontMetrics().horizontalAdvance(QStringLiteral("X")));
            const QString caption = wrapAfterSemicolons(TypeFilters::label(box), check->fontMetrics(), room);
            check->setText(caption);
            if (caption != TypeFilters::caption(box))
                check->setToolTip(TypeFilters::caption(box));
            const int lines = caption.count('\n') + 1;
            const int height = twips::toPixels(255) + (lines - 1) * check->fontMetrics().lineSpacing();
            place(check, twips::toPixels(60), top, width, height);
            top += height - twips::toPixels(255) + twips::toPixels(240);
            chkFilter[box] = check;
            // A page grows to hold a box that wrapped onto many lines.
            if (check->geometry().bottom() >= p->height())
                p->resize(p->width(), check->geometry().bottom() + 1);
        }
    }
    lblFilter = new QLabel("&Add Filter", picOptions[3]);
    place(lblFilter, twips::toPixels(45), twips::toPixels(1965), twips::toPixels(660),
          twips::toPixels(195));
    txtFilter = new QLineEdit(picOptions[3]);
    place(txtFilter, twips::toPixels(750), twips::toPixels(1920), twips::toPixels(820),
          twips::toPixels(285));
    lblFilter->setBuddy(txtFilter);
    // The caption is sized to its text; the box keeps the page's right edge.
    const int labelWidth = std::max(lblFilter->width(), lblFilter->sizeHint().width());
    if (labelWidth > lblFilter->width()) {
        const int boxRight = txtFilter->geometry().right();
        lblFilter->resize(labelWidth, lblFilter->height());
        const int boxLeft = lblFilter->geometry().right() + 3;
        txtFilter->setGeometry(boxLeft, txtFilter->y(), boxRight - boxLeft + 1, txtFilter->height());
    }
    txtFilter->installEventFilter(this);

    chkFilter[0] = new QCheckBox("All Files", client);
    place(chkFilter[0], 328, 224, 105, 17);

    picCD = new QToolButton(client);
    picCD->setIcon(cdButtonPicture());
    picCD->setIconSize(QSize(30, 30));
    picCD->setAutoRaise(true);
    picCD->setToolTip("Play Audio CD");
    place(picCD, 405, 227, 34, 34);

    lblFileCount = new QLabel(client);
    place(lblFileCount, 320, 264, 121, 17);
    cmdRandom = new QPushButton("&Random", client);
    place(cmdRandom, 320, 284, 121, 17);
    cmdSlideshow = new QPushButton("&Slide Show", client);
    place(cmdSlideshow, 320, 304, 121, 17);
    cmdSlideshow->installEventFilter(this);

    // Wiring: handlers stay plain methods so tests can call them directly.
    connect(cboDrive, qOverload<int>(&QComboBox::activated), this, &frmMain::cboDrive_Change);
    connect(lstDir, &QListView::activated, this, &frmMain::openFolderListEntry);
    connect(cboAddress->lineEdit(), &QLineEdit::textEdited, this, &frmMain::cboAddress_Change);
    connect(cboAddress->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { goToFolder(cboAddress->currentText()); });
    connect(cmdGo, &QPushButton::clicked, this, [this] { goToFolder(cboAddress->currentText()); });
    for (int i = 0; i < TypeFilters::BoxCount; ++i)
        connect(chkFilter[i], &QCheckBox::clicked, this, [this, i] { chkFilter_Click(i); });
    connect(tbsMedia, &TabRows::tabBarClicked, this, [this](int tab) {
        if (tab >= 0)
            tbsMedia_Click(tab);
    });
    connect(tbsMedia, &TabRows::currentChanged, this, &frmMain::tbsMedia_Click);
    connect(cmdRandom, &QPushButton::clicked, this, &frmMain::cmdRandom_Click);
    connect(lvPics, &QListView::clicked, this, [this] {
        // Ctrl and Shift choose entries; only a plain click opens.
        if (!(m_pressModifiers & (Qt::ControlModifier | Qt::ShiftModifier)))
            ShowMedia();
    });
    connect(lvPics, &QListView::activated, this, [this] { ShowMedia(); });
}

void frmMain::createMenus()
{
    // Only the desktop's usual keys (F1, F5, Ctrl+Q), which work in this
    // window alone: the viewer owns the single keys.
    mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    createFileActions();
    mnuView = menuBar()->addMenu("&View");
    mnuView->setObjectName("mnuView");
    mnuListAction = mnuView->addAction("&List", this, &frmMain::mnuList_Click);
    mnuDetailAction = mnuView->addAction("&Detailed", this, &frmMain::mnuDetail_Click);
    mnuThumbsAction = mnuView->addAction("&Thumbnails", this, &frmMain::mnuThumbs_Click);
    for (QAction *a : {mnuListAction, mnuDetailAction, mnuThumbsAction})
        a->setCheckable(true);
    mnuListAction->setObjectName("mnuList");
    mnuDetailAction->setObjectName("mnuDetail");
    mnuThumbsAction->setObjectName("mnuThumbs");
    mnuListAction->setChecked(true);
    mnuView->addSeparator()->setObjectName("mnudshc");
    // Columns the Detailed view may show besides its own four (the right
    // button on its header sorts, so they are chosen here).
    mnuTakenColumnAction = mnuView->addAction("Date &Taken Column", this, &frmMain::photoColumnsChosen);
    mnuDimensionsColumnAction = mnuView->addAction("Di&mensions Column", this, &frmMain::photoColumnsChosen);
    mnuTakenColumnAction->setObjectName("mnuTakenColumn");
    mnuDimensionsColumnAction->setObjectName("mnuDimensionsColumn");
    for (QAction *a : {mnuTakenColumnAction, mnuDimensionsColumnAction})
        a->setCheckable(true);
    mnuView->addSeparator();
    QAction *refresh = mnuView->addAction("&Refresh", this, &frmMain::mnuRefresh_Click);
    refresh->setObjectName("mnuRefresh");
    refresh->setShortcut(Qt::Key_F5);
    mnuHelp = menuBar()->addMenu("&Help");
    mnuHelp->setObjectName("mnuHelp");
    wireMenus();
    wireViewer();
}

SettingsContext frmMain::settingsContext() const
{
    SettingsContext c;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect g = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    c.screenWidthTwips = twips::fromPixels(g.width());
    c.screenHeightTwips = twips::fromPixels(g.height());
    c.startFolder = canonicalFolder(QDir::currentPath());
    const QFont f = lblFilter->font();
    c.fontName = f.family();
    c.fontSize = qRound(f.pointSizeF() > 0 ? f.pointSizeF() : 9.0);
    return c;
}

void frmMain::loadOptionsOnly()
{
    RandomizeFromClock();
    m_optionsOnly = true;
    StoredSettings stored;
    readAllSettings(*m_store, settingsContext(), stored);
    m_options = stored.options;
    const TypeFilters::Ticks ticks = TypeFilters::fromFilterText(stored.window.Filter);
    m_storedPattern = ticks[0] ? QStringLiteral("*.*") : TypeFilters::patternWithCustom(ticks, stored.window.CustomFilter);
}

void frmMain::Form_Load()
{
    RandomizeFromClock();
    // While loading, the handlers below arrange the window but build nothing;
    // the list is built once at the end.
    m_state.Loading = true;
    chkFilter[0]->setChecked(true);

    StoredSettings stored;
    readAllSettings(*m_store, settingsContext(), stored);
    m_options = stored.options;
    const WindowSettings &w = stored.window;
    applyWindowSettings(w);
    const TypeFilters::Ticks t = TypeFilters::fromFilterText(w.Filter);
    for (int i = TypeFilters::BoxCount - 1; i >= 0; --i)
        chkFilter[i]->setChecked(t[i]);
    // A stored folder that no longer exists leaves the start folder.
    m_drives = driveEntries();
    cboDrive->clear();
    cboDrive->addItems(m_drives);
    const QString startFolder = canonicalFolder(QDir::currentPath());
    const QString storedFolder = folderForAddress(w.Path);
    const QString folder = storedFolder.isEmpty() ? startFolder : storedFolder;
    setDrive(driveEntryFor(folder, m_drives));
    setFolder(folder);
    if (m_options.ViewMode == 2)
        mnuThumbs_Click();
    else if (m_options.ViewMode == 1)
        mnuDetail_Click();
    else
        mnuList_Click();
    txtFilter->setText(w.CustomFilter);
    // A column stored with no width could never be found again to widen it.
    for (int c = 0; c < 4; ++c)
        grdPics->setColumnWidth(c, twips::toPixels(w.DetailedCol[c] > 0 ? w.DetailedCol[c]
                                                                         : detailedColumnDefault(c)));
    showPhotoColumns();
    lstDir_Change();
    m_state.Loading = false;
    chkFilter_Click(-1);
}

void frmMain::applyWindowSettings(const WindowSettings &w)
{
    // Stored values may be anything a hand could type: keep them in int range first.
    auto pixels = [](float t) {
        return std::isfinite(t) ? twips::toPixels(std::clamp<double>(t, -1e9, 1e9)) : 0;
    };
    const QRect stored(pixels(w.MainLeft), pixels(w.MainTop), pixels(w.MainWidth),
                       pixels(w.MainHeight));
    // A place off every screen is brought back onto the one it belongs to,
    // and the unload then writes back what was shown.
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        areas.prepend(primary->availableGeometry());
    const QRect shown = WindowPlacement::reachable(
        stored, WindowPlacement::screenFor(stored, areas), QSize(MinWidthPx, MinHeightPx));
    resize(shown.size());
    move(shown.topLeft());
    if (w.WindowState == 1)
        setWindowState(Qt::WindowMinimized);
    else if (w.WindowState == 2)
        setWindowState(Qt::WindowMaximized);
}

WindowSettings frmMain::collectWindowSettings() const
{
    WindowSettings w;
    const QRect g = geometry();
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        // Wayland never tells a program where its window is: keep the stored
        // place for the next start on X11.
        StoredSettings kept;
        readAllSettings(*m_store, settingsContext(), kept);
        w.MainLeft = kept.window.MainLeft;
        w.MainTop = kept.window.MainTop;
    } else {
        const QPoint p = pos();
        w.MainLeft = float(twips::fromPixels(p.x()));
        w.MainTop = float(twips::fromPixels(p.y()));
    }
    w.MainWidth = float(twips::fromPixels(g.width()));
    w.MainHeight = float(twips::fromPixels(g.height()));
    w.WindowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    w.Filter = TypeFilters::toFilterText(ticks());
    w.Path = m_folder;
    w.CustomFilter = txtFilter->text();
    for (int c = 0; c < 4; ++c)
        w.DetailedCol[c] = int32_t(twips::fromPixels(grdPics->columnWidth(c)));
    return w;
}

TypeFilters::Ticks frmMain::ticks() const
{
    TypeFilters::Ticks t{};
    for (int i = 0; i < TypeFilters::BoxCount; ++i)
        t[i] = chkFilter[i]->isChecked();
    return t;
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutControls();
}

void frmMain::layoutControls()
{
    if (isMinimized() || !centralWidget())
        return;
    const int SW = centralWidget()->width();
    const int SH = centralWidget()->height();
    lstDir->resize(lstDir->width(), SH - 30);
    lvPics->resize(SW - 278, lstDir->height() + 1);
    grdPics->setGeometry(lvPics->geometry());
    const int right = SW - 125;
    tbsMedia->move(right, tbsMedia->y());
    lblFileCount->move(right, lblFileCount->y());
    cmdRandom->move(right, cmdRandom->y());
    cmdSlideshow->move(right, cmdSlideshow->y());
    chkFilter[0]->move(right + 4, chkFilter[0]->y());
    picCD->move(right + 85, picCD->y());
    for (QWidget *page : picOptions)
        if (page->isEnabled())
            page->move(right + 4, page->y());
    cboAddress->resize(SW - 180, cboAddress->height());
    cmdGo->move(SW - 28, cmdGo->y());
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_unloaded || m_optionsOnly) {
        event->accept();
        return;
    }
    // Unload: every option written, then every other window closed.
    m_unloaded = true;
    emit buildStarted(); // stops a running thumbnail build
    writeAllSettings(*m_store, StoredSettings{collectWindowSettings(), m_options});
    if (!m_store->sync()) {
        // Never lose the options silently: say so while the user can still act.
        QMessageBox::warning(this, QStringLiteral("Glintwave"),
                             QStringLiteral("The options could not be saved.\n\n%1").arg(m_store->errorString()));
    }
    event->accept();
    Module1::UnloadAllForms();
}
