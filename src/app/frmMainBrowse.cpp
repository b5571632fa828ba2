// The main window's browsing: folders, type filters, the views and sorting.
#include "app/frmMain.h"
#include "core/ui/TabRows.h"

#include "browser/DetailModel.h"
#include "browser/DetailReader.h"
#include "browser/DriveList.h"
#include "browser/FileListModel.h"
#include "browser/GridSort.h"
#include "core/Rnd.h"
#include "core/Twips.h"
#include "browser/ui/frmFileRead.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>
#include <QTabBar>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <dirent.h>
#include <numeric>
#include <vector>

namespace {
// Sub-folders of a folder, sorted as the folder list shows them; hidden ones left out.
QStringList subFolders(const QString &folder)
{
    QStringList names;
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    const QByteArray base = QFile::encodeName(folder == "/" ? folder : folder + "/");
    while (dirent *e = readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN)
            isDir = QFileInfo(QFile::decodeName(base + e->d_name)).isDir();
        const QString name = QFile::decodeName(e->d_name);
        if (isDir && QFile::encodeName(name) == QByteArray(e->d_name))
            names << name;
    }
    closedir(dir);
    FileListing::sortNames(names);
    return names;
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

// ---- Folder navigation ------------------------------------------------------

QString frmMain::currentFolder() const { return m_folder; }

void frmMain::setDrive(const QString &entry)
{
    const int index = cboDrive->findText(entry);
    if (index >= 0)
        cboDrive->setCurrentIndex(index);
}

void frmMain::cboDrive_Change(int index)
{
    // A drive that cannot be read changes nothing else.
    const QString root = driveRoot(cboDrive->itemText(index));
    const QString folder = folderForAddress(root);
    if (!folder.isEmpty())
        setFolder(folder);
}

void frmMain::setFolder(const QString &folder)
{
    const QString listable = folderForAddress(folder);
    if (listable.isEmpty())
        return; // a folder that cannot be opened: nothing changes
    m_folder = listable;
    fillFolderList();
    lstDir_Change();
}

void frmMain::fillFolderList()
{
    QStringList entries;
    if (m_folder != "/")
        entries << "..";
    entries << subFolders(m_folder);
    m_dirModel->setStringList(entries);
}

void frmMain::openFolderListEntry(const QModelIndex &index)
{
    const QString entry = index.data().toString();
    if (entry == "..")
        setFolder(QFileInfo(m_folder).path());
    else
        setFolder(m_folder == "/" ? "/" + entry : m_folder + "/" + entry);
}

void frmMain::lstDir_Change()
{
    lstPics.setPath(m_folder);
    setDrive(driveEntryFor(m_folder, m_drives));
    if (!m_history.entries().contains(m_folder)) {
        m_history.record(m_folder);
        cboAddress->insertItem(0, m_folder);
    }
    cboAddress->setEditText(m_folder);
    if (!m_state.Loading)
        BuildFileList();
}

void frmMain::goToFolder(const QString &typed)
{
    const QString folder = folderForAddress(typed);
    if (!folder.isEmpty())
        setFolder(folder); // else: nothing, no message, the typed text stays
}

void frmMain::cboAddress_Change(const QString &text)
{
    QLineEdit *edit = cboAddress->lineEdit();
    int caret = edit->cursorPosition();
    if (PendingCaret != 0)
        caret = PendingCaret;
    const AddressHistory::Completion c = m_history.complete(text, caret, m_addressDeleting);
    m_addressDeleting = false;
    // Our own correction of the text must not run this handler again; Qt's
    // textEdited does not fire for it, and PendingCaret carries the caret.
    PendingCaret = int16_t(c.caret);
    if (edit->text() != c.text)
        edit->setText(c.text);
    // The completed tail is selected backwards, so the caret stays after the
    // typed characters.
    if (c.selectionLength > 0)
        edit->setSelection(c.caret + c.selectionLength, -c.selectionLength);
    else
        edit->setCursorPosition(c.caret);
    PendingCaret = 0;
}

// ---- Type filters -------------------------------------------------------------

void frmMain::setPatternFromBoxes(bool withCustom)
{
    const TypeFilters::Ticks t = ticks();
    lstPics.setPattern(withCustom ? TypeFilters::patternWithCustom(t, txtFilter->text())
                                  : TypeFilters::patternFromBoxes(t));
}

void frmMain::chkFilter_Click(int index)
{
    if (m_state.Loading)
        return;
    if (index == 0) {
        const bool all = chkFilter[0]->isChecked();
        for (int i = 1; i < TypeFilters::BoxCount; ++i)
            chkFilter[i]->setEnabled(!all);
        if (all)
            lstPics.setPattern("*.*");
        else
            setPatternFromBoxes(false);
    } else {
        setPatternFromBoxes(true);
    }
    BuildFileList();
}

void frmMain::txtFilter_Enter()
{
    setPatternFromBoxes(true);
    BuildFileList();
}

void frmMain::tbsMedia_Click(int tab)
{
    // Only the selected tab's page is shown; the pattern is not touched.
    for (int i = 0; i < 4; ++i) {
        if (i == tab) {
            picOptions[i]->move(tbsMedia->x() + 4, picOptions[i]->y());
            picOptions[i]->setEnabled(true);
        } else {
            picOptions[i]->move(-20000, picOptions[i]->y());
            picOptions[i]->setEnabled(false);
        }
    }
}

// ---- Views ----------------------------------------------------------------------

void frmMain::mnuList_Click()
{
    mnuListAction->setChecked(true);
    mnuDetailAction->setChecked(false);
    mnuThumbsAction->setChecked(false);
    grdPics->hide();
    lvPics->show();
    lvPics->setViewMode(QListView::ListMode);
    lvPics->setFlow(QListView::TopToBottom);
    lvPics->setWrapping(true);
    lvPics->setResizeMode(QListView::Adjust);
    lvPics->setGridSize(QSize());
    lvPics->setIconSize(QSize(16, 16));
    lvPics->setSpacing(0);
    m_options.ViewMode = 0;
    if (!m_state.Loading)
        BuildFileList();
}

void frmMain::mnuDetail_Click()
{
    mnuListAction->setChecked(false);
    mnuDetailAction->setChecked(true);
    mnuThumbsAction->setChecked(false);
    grdPics->show();
    lvPics->hide();
    m_options.ViewMode = 1;
    if (!m_state.Loading)
        BuildFileList();
}

void frmMain::mnuThumbs_Click()
{
    mnuListAction->setChecked(false);
    mnuDetailAction->setChecked(false);
    mnuThumbsAction->setChecked(true);
    grdPics->hide();
    lvPics->show();
    const int size = int(m_options.ThumbSize);
    lvPics->setViewMode(QListView::IconMode);
    lvPics->setFlow(QListView::LeftToRight);
    lvPics->setWrapping(true);
    lvPics->setResizeMode(QListView::Adjust);
    lvPics->setMovement(QListView::Static);
    lvPics->setIconSize(QSize(size, size));
    lvPics->setGridSize(QSize(size + 24, size + 2 * fontMetrics().height() + 8));
    lvPics->setWordWrap(true);
    m_options.ViewMode = 2;
    if (!m_state.Loading)
        BuildFileList();
}

void frmMain::mnuRefresh_Click()
{
    lstPics.refresh();
    BuildFileList();
}

void frmMain::BuildFileList()
{
    emit buildStarted();
    ++m_listGeneration;   // a listing of the folder under way is for the old list
    m_goneSinceBuild.clear();
    m_rewritten.clear();
    m_listModel->setFolder(m_folder);
    m_detailModel->setFolder(m_folder);
    watchFolder();
    WaitCursor wait;
    if (mnuThumbsAction->isChecked())
        thumbnailBuild();
    else
        listAndDetailedBuild();
    m_fileRead->hide();
    showFileCount();
    SortGrid();
}

void frmMain::showFileCount()
{
    m_state.FileCount = lstPics.ListCount();
    lblFileCount->setText(" " + QString::number(m_state.FileCount) + " files in list");
}

void frmMain::listAndDetailedBuild()
{
    const QStringList &names = lstPics.names();
    m_detailModel->clearRows();
    if (names.size() > 2000) {
        // Only a long build is worth a progress window.
        m_fileRead->barFileRead->setRange(0, std::max(1, int(names.size()) - 1));
        m_fileRead->barFileRead->setValue(0);
        m_fileRead->show();
        m_fileRead->repaint();
    }
    m_listModel->setNames(names, lstPics.rawNames());
    if (m_options.ViewMode != 1) {
        // Uniform items keep a huge list fast; the widest name sets their width.
        // Measuring every name of a huge folder costs more than listing it:
        // measure the longest few, where the widest one is.
        const QFontMetrics metrics(lvPics->font());
        std::vector<int> order(names.size());
        std::iota(order.begin(), order.end(), 0);
        const size_t measured = std::min<size_t>(order.size(), 64);
        std::partial_sort(order.begin(), order.begin() + measured, order.end(),
                          [&](int a, int b) { return names[a].size() > names[b].size(); });
        int widest = 40;
        for (size_t i = 0; i < measured; ++i)
            widest = std::max(widest, metrics.horizontalAdvance(names[order[i]]));
        lvPics->setGridSize(QSize(std::min(widest, 480) + 28, metrics.height() + 4));
    }
    if (m_options.ViewMode == 1) {
        // The names at once; sizes, dates and types as workers read them.
        m_detailModel->setNames(names, lstPics.rawNames());
        detailReader()->start(m_folder, names, lstPics.rawNames(),
                              m_options.TakenColumn || m_options.DimensionsColumn);
    }
    m_fileRead->barFileRead->setValue(m_fileRead->barFileRead->maximum());
}

DetailReader *frmMain::detailReader()
{
    if (!m_details) {
        m_details = new DetailReader(this);
        connect(this, &frmMain::buildStarted, m_details, &DetailReader::cancel);
        connect(m_details, &DetailReader::rowsRead, m_detailModel, &DetailModel::fillDetails);
        // A sort by a column that was still being read waited for it.
        connect(m_details, &DetailReader::finished, this, [this] {
            if (m_sortWaiting)
                SortGrid();
            emit detailsRead();
        });
    }
    return m_details;
}

void frmMain::showPhotoColumns()
{
    mnuTakenColumnAction->setChecked(m_options.TakenColumn);
    mnuDimensionsColumnAction->setChecked(m_options.DimensionsColumn);
    grdPics->setColumnHidden(DetailModel::TakenColumn, !m_options.TakenColumn);
    grdPics->setColumnHidden(DetailModel::DimensionsColumn, !m_options.DimensionsColumn);
}

void frmMain::photoColumnsChosen()
{
    const bool wereRead = m_options.TakenColumn || m_options.DimensionsColumn;
    m_options.TakenColumn = mnuTakenColumnAction->isChecked();
    m_options.DimensionsColumn = mnuDimensionsColumnAction->isChecked();
    showPhotoColumns();
    // What is shown now may not have been read.
    if (!wereRead && m_options.ViewMode == 1 && !m_state.Loading)
        BuildFileList();
}

void frmMain::SortGrid()
{
    grdPics->horizontalHeader()->setSortIndicator(
        std::clamp(m_options.SortCol, 0, DetailModel::ColumnCount - 1),
        m_options.SortDir == 1 ? Qt::AscendingOrder : Qt::DescendingOrder);
    // Names are there at once. A column still being read is sorted when the
    // last of it is in (the reader's finished): sorted now, the rows would
    // jump about as its parts arrive. The window works on meanwhile.
    const bool byName = m_options.SortCol < 1 || m_options.SortCol >= DetailModel::ColumnCount;
    m_sortWaiting = !byName && m_details && m_details->isRunning();
    if (m_sortWaiting) {
        grdPics->setCursor(Qt::BusyCursor);
        return;
    }
    grdPics->unsetCursor();
    m_detailModel->sortBy(m_options.SortCol, m_options.SortDir);
}

void frmMain::grdPics_MouseDown(int button, const QPoint &pos, bool onHeader)
{
    if (onHeader) {
        QHeaderView *h = grdPics->horizontalHeader();
        const std::array<double, 3> widths = {twips::fromPixels(h->sectionSize(0)),
                                              twips::fromPixels(h->sectionSize(1)),
                                              twips::fromPixels(h->sectionSize(2))};
        // Widths are summed from the grid's left edge, as the header shows
        // them unscrolled; the optional columns beyond are the header's own.
        const int shown = h->logicalIndexAt(pos.x());
        const int col = shown >= DetailModel::TakenColumn
                            ? shown
                            : GridSort::headerColumnAt(twips::fromPixels(pos.x()), widths, m_options.SortCol);
        m_options.SortCol = col;
        m_options.SortDir = button;
        SortGrid();
        return;
    }
    const QModelIndex index = grdPics->indexAt(pos);
    if (!index.isValid())
        return;
    grdPics->setCurrentIndex(index);
    ShowMedia();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const int button = mouse->button() == Qt::LeftButton    ? 1
                           : mouse->button() == Qt::RightButton ? 2
                           : mouse->button() == Qt::MiddleButton ? 4
                                                                 : 0;
        if (watched == grdPics->horizontalHeader()->viewport() && button) {
            // A press on a column separator is the header's own: it resizes
            // (a double click fits the column). Anywhere else it sorts.
            QHeaderView *h = grdPics->horizontalHeader();
            std::vector<int> edges(DetailModel::ColumnCount, -1);
            for (int c = 0; c < DetailModel::ColumnCount; ++c)
                if (!h->isSectionHidden(c))
                    edges[c] = h->sectionViewportPosition(c) + h->sectionSize(c);
            const int grip = h->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, h);
            if (button == 1 && GridSort::separatorAt(mouse->position().toPoint().x(), edges, grip) >= 0)
                return false;
            grdPics_MouseDown(button, mouse->position().toPoint(), true);
            return true;
        }
        if (watched == lvPics->viewport())
            m_pressModifiers = mouse->modifiers();
        if (watched == grdPics->viewport() && button) {
            // Ctrl and Shift choose rows, and the right button the rows the
            // context menu acts on: the grid's own selection does both.
            if (button == 2 || (mouse->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)))
                return false;
            grdPics_MouseDown(button, mouse->position().toPoint(), false);
            return true;
        }
        if (watched == static_cast<QObject *>(cmdSlideshow) && button) {
            cmdSlideshow_MouseDown(button);
            return false;
        }
    }
    if ((watched == static_cast<QObject *>(cboAddress) || watched == static_cast<QObject *>(cboAddress->lineEdit()))
        && event->type() == QEvent::KeyPress) {
        // An edit made by a deleting key is not completed. Typed keys reach
        // the combo box, which hands them to its line edit directly (no
        // filter of the line edit sees them); keys sent to the line edit
        // itself come this way too.
        auto *key = static_cast<QKeyEvent *>(event);
        m_addressDeleting = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete
                            || key->matches(QKeySequence::Cut)
                            || key->matches(QKeySequence::DeleteStartOfWord)
                            || key->matches(QKeySequence::DeleteEndOfWord)
                            || key->matches(QKeySequence::DeleteEndOfLine);
    }
    if (watched == static_cast<QObject *>(grdPics) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // The Enter that ends a rename comes up from the name's editor: it
        // only renames.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && QApplication::focusWidget() == grdPics) {
            ShowMedia(); // as in the other two views
            return true;
        }
    }
    if (watched == static_cast<QObject *>(txtFilter) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            txtFilter_Enter();
            return true; // the Enter goes no further
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Entries ------------------------------------------------------------------------

int frmMain::currentEntry() const
{
    if (m_options.ViewMode == 1) {
        const QModelIndex i = grdPics->currentIndex();
        return i.isValid() ? i.row() + 1 : 0;
    }
    // The entry last clicked or stepped to, when it is among the selected.
    const QModelIndex current = lvPics->currentIndex();
    if (current.isValid() && lvPics->selectionModel()->isSelected(current))
        return current.row() + 1;
    const QModelIndexList selected = lvPics->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

int frmMain::entryCount() const
{
    const int held = m_options.ViewMode == 1 ? m_detailModel->dataRowCount()
                                                    : m_listModel->rowCount();
    return std::min(m_state.FileCount, held);
}

void frmMain::selectEntry(int number)
{
    if (number < 1 || number > entryCount())
        return;
    // This entry alone, and where Shift+arrows start from.
    QAbstractItemView *view = activeView();
    const QModelIndex i = view->model()->index(number - 1, 0);
    view->setCurrentIndex(i);
    view->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(i);
}

QString frmMain::entryName(int number) const
{
    if (number < 1)
        return QString();
    if (m_options.ViewMode == 1)
        return number <= m_detailModel->dataRowCount() ? m_detailModel->rows()[number - 1].name
                                                       : QString();
    return number <= m_listModel->rowCount() ? m_listModel->names()[number - 1] : QString();
}

QByteArray frmMain::entryRawName(int number) const
{
    if (number < 1)
        return QByteArray();
    if (m_options.ViewMode == 1)
        return number <= m_detailModel->dataRowCount() ? m_detailModel->rows()[number - 1].raw
                                                       : QByteArray();
    return number <= m_listModel->rowCount() ? m_listModel->rawNames()[number - 1] : QByteArray();
}

void frmMain::cmdRandom_Click()
{
    // Every entry equally likely; an empty list does nothing.
    const int n = entryCount();
    if (n < 1)
        return;
    double u;
    {
        const auto lock = lockRnd();
        u = Rnd();
    }
    selectEntry(int(u * n) + 1);
    ShowMedia();
}

void frmMain::cmdSlideshow_MouseDown(int button)
{
    if (entryCount() < 1)
        return; // nothing to show: no slide show starts
    m_state.SlideShowRunning = true;
    if (button != 2 || currentEntry() < 1)
        selectEntry(1);
    ShowMedia();
}
