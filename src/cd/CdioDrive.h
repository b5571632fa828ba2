#pragma once
#include "cd/DiscSource.h"

#include <QByteArray>
#include <atomic>
#include <mutex>

typedef struct _CdIo CdIo_t;
struct cdrom_drive_s;
struct cdrom_paranoia_s;

// A real optical drive through libcdio; audio is extracted with
// cdio-paranoia (overlap checking, no endless retries, so that a scratch
// costs a click rather than a stall).
class CdioDrive : public DiscSource
{
public:
    // device: a device path such as /dev/sr0; empty means the system's
    // default drive.
    explicit CdioDrive(const QString &device = QString());
    ~CdioDrive() override;

    // False when there is no such drive; lastError() tells why.
    bool isOpen() const { return m_cdio != nullptr; }
    QString device() const { return QString::fromLocal8Bit(m_device); }

    bool mediaPresent() override;
    const Toc &toc() const override { return m_toc; }
    quint64 discSerial() const override { return m_serial; }
    bool readAudio(long sector, int count, char *out) override;
    bool openDoor() override;
    bool closeDoor() override;
    bool doorOpen() const override { return m_doorOpen; }
    QString lastError() const override;

private:
    bool openHandle();
    void closeHandle();
    bool readToc();
    bool startParanoia();
    void setError(const QString &error);

    mutable std::mutex m_lock;   // reads against reopening and the door
    QByteArray m_device;
    CdIo_t *m_cdio = nullptr;
    cdrom_drive_s *m_cdda = nullptr;
    cdrom_paranoia_s *m_paranoia = nullptr;
    long m_paranoiaAt = -1;   // the sector paranoia will deliver next
    long m_lsnOffset = 0;     // the first track's LSN
    Toc m_toc;
    std::atomic_bool m_hasDisc{false};
    std::atomic_bool m_doorOpen{false};
    // The tray was opened while a read held the drive: that read stops at
    // its next sector, and the next look at the drive starts afresh.
    std::atomic_bool m_abandon{false};
    quint64 m_serial = 0;
    mutable std::mutex m_errorLock;   // not m_lock: the door may fail during a read
    QString m_error;
};
