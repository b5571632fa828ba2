#pragma once
#include "browser/AddressHistory.h"
#include "core/AppState.h"
#include "browser/FileListing.h"
#include "browser/FileOperations.h"
#include "browser/MediaTypes.h"
#include "browser/PackedImage.h"
#include "core/OptionSet.h"
#include "core/RawPath.h"
#include "core/StoredOptions.h"
#include "browser/TypeFilters.h"
#include "effects/ViewerList.h"
#include "effects/ui/DesktopOutputs.h"

#include <QMainWindow>
#include <QPointer>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QTimer>
#include <functional>
#include <array>
#include <memory>
#include <vector>

class DetailModel;
class DetailReader;
class FileListModel;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QStringListModel;
class TabRows;
class QTableView;
class QToolButton;
class SettingsStore;
class frmFileRead;
class frmThumbwait;
class ThumbnailBuilder;
struct ThumbnailEntry;
class frmMedia;
class OnDemandParts;
class FolderWatch;
class QAbstractItemView;

// The main window: folder column on the left, the file list in the centre,
// the type filters and buttons on the right, the address box on top.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The store the window reads at load and writes at unload; tests pass
    // their own file. The parts that need the web engine, the multimedia
    // framework or the CD library come from parts, when first used.
    frmMain(std::shared_ptr<SettingsStore> store, OnDemandParts &parts);
    ~frmMain() override;

    // The load sequence for a normal start.
    void Form_Load();
    // Reads the options only (no window restored, nothing built): a file
    // named on the command line opens with the user's options.
    void loadOptionsOnly();
    // After a file named on the command line is shown: its folder, listed on
    // a worker with the type boxes' pattern, becomes the list Space and
    // Backspace step through; several files named at once (all of one
    // folder) are the list themselves.
    void listBehindCommandLine(const QList<QByteArray> &files);

    // Rebuilds the current view from the file list box.
    void BuildFileList();
    void SortGrid();
    // The Detailed view's optional columns, as the options say.
    void showPhotoColumns();
    void photoColumnsChosen();

    // The view menu commands.
    void mnuList_Click();
    void mnuDetail_Click();
    void mnuThumbs_Click();
    void mnuRefresh_Click();

    // Opening entries. The current entry is the grid's current row in the
    // Detailed view and the list view's selected item otherwise, numbered from 1.
    void ShowMedia();
    // "Disk error" for a file that cannot be read: the file and the system's
    // reason below the message, and the same line on standard error.
    void showDiskError(const QString &shownName, const QString &problem);
    int currentEntry() const;
    // The number of entries a user can step through: FileCount, but never more
    // than the active view holds (the thumbnail build may leave files out).
    int entryCount() const;
    void selectEntry(int number);
    QString entryName(int number) const;
    // The entry's name as the folder holds it, through which it opens.
    QByteArray entryRawName(int number) const;
    QString currentFolder() const;

    // What the user does to the files of the active view. The selected
    // entries (numbered from 1, in the view's order).
    QList<int> selectedEntries() const;
    // Delete: the selected files go to the Trash, no question asked; Undo
    // puts the last files trashed back where they were. A file that cannot
    // go or come back stays, and a message names it and says why.
    void trashSelected();
    void undoTrash();
    bool canUndo() const { return !m_undo.empty(); }
    // F2: the current entry's name edited in place.
    void renameCurrent();
    // Copy to / Move to folder, on a worker, with a progress window for a
    // long one; a name taken there gets the next free "name (2).ext".
    void transferSelected(const QString &folder, bool move);
    // A Delete, Undo, Copy To or Move To under way; another is refused meanwhile.
    bool isWorking() const { return m_working; }

    // Folder navigation.
    void goToFolder(const QString &typedAddress);
    void setFolder(const QString &folder);   // the folder list's Path
    void setDrive(const QString &entry);

    // Type filters.
    void chkFilter_Click(int index);
    void txtFilter_Enter();
    void tbsMedia_Click(int tab);

    // The main window's buttons.
    void cmdRandom_Click();
    void cmdSlideshow_MouseDown(int button);
    // One tick of the slide show timer.
    void slideTick();

    // The options of the run and the state shared with the viewer: read at
    // load, changed by the setup dialog and the view commands, written at unload.
    OptionSet &options() { return m_options; }
    const OptionSet &options() const { return m_options; }
    AppState &state() { return m_state; }

    // The viewer window, created on first use (create), stepping through
    // this window's list and wired to its Effects menu and slide show; null
    // when closed.
    frmMedia *viewer(bool create = true);

    // The hidden Effects menu the viewer pops up.
    QMenu *mnuEffects = nullptr;

    // Controls.
    QComboBox *cboDrive = nullptr;
    QListView *lstDir = nullptr;
    QComboBox *cboAddress = nullptr;
    QPushButton *cmdGo = nullptr;
    QListView *lvPics = nullptr;
    QTableView *grdPics = nullptr;
    FileListing lstPics;
    TabRows *tbsMedia = nullptr;
    std::array<QWidget *, 4> picOptions{};
    std::array<QCheckBox *, TypeFilters::BoxCount> chkFilter{};
    QToolButton *picCD = nullptr;
    QLabel *lblFileCount = nullptr;
    QPushButton *cmdRandom = nullptr;
    QPushButton *cmdSlideshow = nullptr;
    QLineEdit *txtFilter = nullptr;
    QLabel *lblFilter = nullptr;
    QAction *mnuListAction = nullptr;
    QAction *mnuDetailAction = nullptr;
    QAction *mnuTakenColumnAction = nullptr;
    QAction *mnuDimensionsColumnAction = nullptr;
    QAction *mnuThumbsAction = nullptr;
    QMenu *mnuFile = nullptr;
    QMenu *mnuView = nullptr;
    QMenu *mnuHelp = nullptr;

    FileListModel *listModel() const { return m_listModel; }
    DetailModel *detailModel() const { return m_detailModel; }
    const AddressHistory &addressHistory() const { return m_history; }
    int16_t PendingCaret = 0;

    QAction *mnuTrashAction = nullptr;
    QAction *mnuRenameAction = nullptr;
    QAction *mnuUndoAction = nullptr;
    QAction *mnuSelectAllAction = nullptr;
    QMenu *mnuCopyTo = nullptr;
    QMenu *mnuMoveTo = nullptr;
    QMenu *mnuFiles = nullptr;   // the views' context menu

signals:
    // A new build has started: a running thumbnail build must stop.
    void buildStarted();
    // The views show a change of the folder's files (made here or elsewhere).
    void folderFollowed();
    // Every column of the Detailed view is filled in, and sorted as asked.
    void detailsRead();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenus();
    void wireMenus();
    void wireViewer();
    void mnuSnatch_Click();
    void layoutControls();
    void lstDir_Change();
    void fillFolderList();
    void openFolderListEntry(const QModelIndex &index);
    void cboAddress_Change(const QString &text);
    void cboDrive_Change(int index);
    void grdPics_MouseDown(int button, const QPoint &pos, bool onHeader);
    void listAndDetailedBuild();
    DetailReader *detailReader();
    void showPlayerMedia(MediaKind kind, const QString &path, const QString &shown);
    void thumbnailBuild();
    ThumbnailBuilder *newThumbnailBuilder();
    static ThumbnailEntry thumbnailEntry(const QString &name, const QByteArray &raw);
    QStringList neighbourPictures() const;   // the pictures next to the current entry
    void setPatternFromBoxes(bool withCustom);
    void applyWindowSettings(const WindowSettings &w);
    WindowSettings collectWindowSettings() const;
    SettingsContext settingsContext() const;
    TypeFilters::Ticks ticks() const;

    void showPageBrowserFor(const QString &target);
    // Says why a part could not be loaded, when it could not.
    void partShown(bool shown);
    void showFileCount();
    // The viewer's side of the list: a file it put in the Trash, a file it turned.
    bool dropViewerEntry(const QString &path);
    void followRewrittenFile(const QString &path);

    // File operations and the folder that stays current (frmMainFiles.cpp).
    void createFileActions();
    void fillTargetMenu(QMenu *menu, bool move);
    QAbstractItemView *activeView() const;
    QList<QByteArray> selectedRawNames() const;
    QString pathOf(const QByteArray &raw) const;
    void renameEntry(const QByteArray &raw, const QString &newName);
    // work on a worker, then done on this thread and the list follows.
    void runFileJob(std::function<void()> work, std::function<void()> done);
    void showFileProblems(const QString &title, const QStringList &problems);
    void selectRaw(const QByteArray &raw);
    void watchFolder();
    void followFolder();
    struct FolderChange;
    void applyListing(const FolderChange &change);
    void buildLiveThumbnails();
    void selectRenamed();

    std::shared_ptr<SettingsStore> m_store;
    OnDemandParts &m_parts;
    OptionSet m_options;
    AppState m_state;
    QPointer<frmMedia> m_viewer;
    AddressHistory m_history;
    QString m_folder;
    QStringList m_drives;
    QStringListModel *m_dirModel = nullptr;
    FileListModel *m_listModel = nullptr;
    DetailModel *m_detailModel = nullptr;
    DetailReader *m_details = nullptr;
    bool m_sortWaiting = false;   // the grid's sort waits for m_details
    frmFileRead *m_fileRead = nullptr;
    frmThumbwait *m_thumbWait = nullptr;
    ThumbnailBuilder *m_thumbs = nullptr;
    // The active view as the viewer's keys step through it.
    class ViewerEntries : public ViewerList {
    public:
        explicit ViewerEntries(frmMain &main) : m_main(main) {}
        int currentEntry() const override;
        int entryCount() const override;
        void selectEntry(int number) override;
        void showEntry() override;
        QString saveFolder() const override;
        bool dropEntry(const QString &path) override;
        void entryChanged(const QString &path) override;

    private:
        frmMain &m_main;
    };
    ViewerEntries m_viewerEntries{*this};
    DesktopOutputs m_outputs;
    bool m_unloaded = false;
    bool m_optionsOnly = false;
    QString m_storedPattern;   // the type boxes' pattern, read by loadOptionsOnly
    struct CommandLineList;
    void takeCommandLineList(const CommandLineList &list);
    bool m_addressDeleting = false; // the address box's last key deletes
    OpenedPath m_shownFile; // what the viewer shows, held open while it plays

    std::vector<std::vector<fileops::Trashed>> m_undo;   // each Delete's files, the last at the end
    bool m_working = false;   // a file job runs on a worker
    Qt::KeyboardModifiers m_pressModifiers;   // of the last press in the list view
    FolderWatch *m_watch = nullptr;
    bool m_relisting = false, m_relistAgain = false;
    quint64 m_listGeneration = 0;              // a new build makes a listing under way stale
    QSet<QByteArray> m_rewritten;              // told by the watch, not yet shown
    QSet<QByteArray> m_goneSinceBuild;         // a late thumbnail of these is dropped
    QByteArray m_selectAfter;                  // a renamed file, selected once listed
    ThumbnailBuilder *m_liveThumbs = nullptr;  // thumbnails of the changed files only
    QList<QByteArray> m_liveQueue;             // changed files waiting for it
    struct ThumbnailEntryPicture {
        QString name;
        QByteArray raw;
        PackedImage picture;
    };
    QList<ThumbnailEntryPicture> m_liveArrived;   // its thumbnails, put in the view together
    QTimer m_liveFlush;
    DetailReader *m_liveDetails = nullptr;      // details of the changed files only
    QHash<QByteArray, QString> m_detailsWanted; // and those it has not read yet
};
