#pragma once
#include <QDialog>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
struct HtmlPageResult;
template <typename T> class QFutureWatcher;

// The HTML page builder: writes a gallery page of the listed files into the
// folder shown in the main window. The main window's state is read through
// the two callbacks at the moment OK is pressed.
class frmHTML : public QDialog
{
    Q_OBJECT
public:
    using FolderSource = std::function<QString()>;
    using NamesSource = std::function<QStringList()>;   // lstPics entries in list order
    using RawNamesSource = std::function<QList<QByteArray>()>;   // their bytes, in the same order

    frmHTML(FolderSource currentFolder, NamesSource listedNames, QWidget *parent = nullptr,
            RawNamesSource listedBytes = {});
    ~frmHTML() override;

    QLabel *lblFile = nullptr;
    QLineEdit *txtFilename = nullptr;
    QLabel *lblTitle = nullptr;
    QLineEdit *txtTitle = nullptr;
    QLabel *lblRow = nullptr;
    QLineEdit *txtRow = nullptr;
    QLabel *lblWidth = nullptr;
    QLineEdit *txtWidth = nullptr;
    QCheckBox *chkFnames = nullptr;
    QCheckBox *chkThumbs = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QProgressBar *barThumbs = nullptr;   // shown while thumbnails are made

    // True while a page is being written.
    bool isWriting() const;

signals:
    // After each finished write attempt (written, failed or cancelled).
    void writeFinished(bool written);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void cmdOK_Click();
    void cmdCancel_Click();
    void writeDone();
    void setWriting(bool writing);
    void showProblem(const QString &message);

    FolderSource m_currentFolder;
    NamesSource m_listedNames;
    RawNamesSource m_listedBytes;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QFutureWatcher<HtmlPageResult> *m_watcher = nullptr;
    bool m_closeWhenDone = false;
};

// Opens the builder modelessly beside parent (one at a time: a second call
// brings the open one to the front).
frmHTML *showHtmlBuilder(QWidget *parent, frmHTML::FolderSource currentFolder,
                         frmHTML::NamesSource listedNames, frmHTML::RawNamesSource listedBytes = {});
