#pragma once
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class LinkLabel;

// The about box: title, version, credits, two web links, and a button that
// starts the desktop's system-information program.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    using OpenLink = std::function<void(const QString &address)>;
    explicit frmAbout(OpenLink openLink, QWidget *parent = nullptr);

    QLabel *picIcon;
    QLabel *lblTitle;
    QLabel *lblVersion;
    QLabel *lblDescription;
    QLabel *lblWebLink;
    LinkLabel *lblWebAddr;
    QLabel *lblAdvertTxt;
    LinkLabel *lblAdvertLnk;
    QPushButton *cmdSysInfo;
    QPushButton *cmdOK;

    void setOpenLink(OpenLink openLink) { m_openLink = std::move(openLink); }
    // Starts the system-information program found on the search path (the
    // process's PATH unless one is given), else tells the user it is missing.
    void StartSysInfo();
    void setSysInfoSearchPath(const QString &path)
    {
        m_searchPath = path;
        m_searchPathSet = true;
    }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void follow(const QString &address);

    OpenLink m_openLink;
    QString m_searchPath;
    bool m_searchPathSet = false;
};

// Shows the about box modelessly (bringing an open one to the front).
// openLink is called with the address of a clicked link.
// notice: a line about this run the box adds below the credits (how
// pictures are decoded, when that is less safe than usual), or empty.
frmAbout *showAbout(QWidget *parent, frmAbout::OpenLink openLink, const QString &notice = QString());

inline const char *const SysInfoUnavailableText = "System Information Is Unavailable At This Time";
