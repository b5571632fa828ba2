#pragma once
#include <QStringList>
#include <QWidget>
#include <cstdint>

class MciInterpreter;
class QComboBox;
class QLabel;
class QTimer;
class QToolButton;

// The CD player window. It speaks to the CD audio device only through
// command strings (alias "cd") and polls it once a second.
class frmCD : public QWidget
{
    Q_OBJECT
public:
    // mci: the interpreter to talk to; null means the program's own.
    // onTop: the window stays above other windows.
    explicit frmCD(QWidget *parent = nullptr, MciInterpreter *mci = nullptr, bool onTop = false);
    ~frmCD() override;

    QToolButton *cmdPlay;
    QToolButton *cmdPause;
    QToolButton *cmdStop;
    QToolButton *cmdPrev;
    QToolButton *cmdNext;
    QToolButton *cmdEject;
    QComboBox *cboTracks;
    QLabel *lblDTime;
    QLabel *lblDisplay;
    QTimer *tmrCD;

    void SendCommand(QString &command, bool showErrors, bool &ok);
    void RefreshStatus();

    void cmdPlay_Click();
    void cmdPause_Click();
    void cmdStop_Click();
    void cmdEject_Click();
    void cmdNext_Click();
    void cmdPrev_Click();
    void cboTracks_Click();
    void tmrCD_Timer();

    // The right-click menu's choices: play a CUE/BIN image instead of the
    // drive, and go back to the drive. Each reopens the device.
    bool openDiscImage(const QString &cuePath);
    void useCdDrive();

    // What the window believes, for tests.
    bool playing() const { return m_playing; }
    bool loaded() const { return m_loaded; }
    int16_t trackCount() const { return m_trackCount; }
    QStringList trackLengths() const { return m_trackLengths; }
    int16_t currentTrack() const { return m_curTrack; }
    uint32_t lastResult() const { return m_lastResult; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Unload();
    void send(const QString &command);
    bool query(const QString &command);
    void noDisc();
    void unreadable();
    bool loadDisc();
    void goToTrack(int track);
    void reopen();

    MciInterpreter &m_mci;
    bool m_playing = false;
    bool m_loaded = false;
    int16_t m_trackCount = 0;
    QStringList m_trackLengths;   // [0] is track 1
    int16_t m_curTrack = 0;
    int16_t m_curMin = 0;
    int16_t m_curSec = 0;
    QString m_command;
    QString m_reply;              // the 30-character reply buffer
    uint32_t m_lastResult = 0;
    bool m_unloaded = false;
    bool m_onTop = false;
    int m_errorShown = 0;         // error boxes open; ticks wait meanwhile
};
