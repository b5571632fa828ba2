#include "cd/CdioDrive.h"

#include "cd/CdioLog.h"
#include "cd/Tmsf.h"

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <cstring>

CdioDrive::CdioDrive(const QString &device)
{
    cdiolog::quieten();
    if (device.isEmpty()) {
        char *name = cdio_get_default_device(nullptr);
        if (name) {
            m_device = name;
            cdio_free(name);
        }
    } else {
        m_device = device.toLocal8Bit();
    }
    if (m_device.isEmpty())
        setError(QStringLiteral("no CD drive was found"));
    else
        openHandle();
}

CdioDrive::~CdioDrive()
{
    closeHandle();
}

bool CdioDrive::openHandle()
{
    closeHandle();
    m_cdio = cdio_open(m_device.constData(), DRIVER_DEVICE);
    if (!m_cdio)
        setError(QStringLiteral("%1 is not a CD drive").arg(device()));
    return m_cdio != nullptr;
}

void CdioDrive::closeHandle()
{
    if (m_paranoia)
        cdio_paranoia_free(m_paranoia);
    if (m_cdda)
        cdio_cddap_close_no_free_cdio(m_cdda);
    if (m_cdio)
        cdio_destroy(m_cdio);
    m_paranoia = nullptr;
    m_cdda = nullptr;
    m_cdio = nullptr;
    m_paranoiaAt = -1;
}

bool CdioDrive::readToc()
{
    m_toc = Toc();
    const track_t first = cdio_get_first_track_num(m_cdio);
    const track_t count = cdio_get_num_tracks(m_cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
        return false;
    m_lsnOffset = cdio_get_track_lsn(m_cdio, first);
    for (track_t t = first; t < first + count; ++t) {
        const lsn_t start = cdio_get_track_lsn(m_cdio, t);
        const track_t after = t + 1 < first + count ? track_t(t + 1)
                                                    : track_t(CDIO_CDROM_LEADOUT_TRACK);
        const lsn_t next = cdio_get_track_lsn(m_cdio, after);
        if (start == CDIO_INVALID_LSN || next == CDIO_INVALID_LSN || next <= start)
            return false;
        m_toc.tracks.append(TocEntry{int(t), long(start - m_lsnOffset), long(next - start),
                                     cdio_get_track_format(m_cdio, t) == TRACK_FORMAT_AUDIO});
    }
    return true;
}

static bool sameToc(const Toc &a, const Toc &b)
{
    if (a.tracks.size() != b.tracks.size())
        return false;
    for (int i = 0; i < a.tracks.size(); ++i)
        if (a.tracks[i].start != b.tracks[i].start || a.tracks[i].sectors != b.tracks[i].sectors)
            return false;
    return true;
}

QString CdioDrive::lastError() const
{
    std::lock_guard<std::mutex> lock(m_errorLock);
    return m_error;
}

void CdioDrive::setError(const QString &error)
{
    std::lock_guard<std::mutex> lock(m_errorLock);
    m_error = error;
}

bool CdioDrive::mediaPresent()
{
    if (m_device.isEmpty())
        return false;
    // While a read holds the drive (it may be spinning up) the disc is
    // taken to be the one being read, or none when the tray was opened
    // under it, rather than waiting for it.
    std::unique_lock<std::mutex> lock(m_lock, std::defer_lock);
    if ((m_hasDisc || m_abandon) && !lock.try_lock())
        return m_hasDisc;
    if (!lock.owns_lock())
        lock.lock();
    if (m_abandon.exchange(false))
        m_hasDisc = false;   // reopened and read afresh below
    if (m_cdio && m_hasDisc && cdio_get_media_changed(m_cdio) == 0)
        return true;
    // No disc before, or the drive reports a change (some report one right
    // after opening): read the table again and count it as a new disc only
    // when it differs.
    const Toc old = m_toc;
    const bool had = m_hasDisc;
    if (!openHandle()) {
        m_hasDisc = false;
        return false;
    }
    m_hasDisc = readToc();
    if (m_hasDisc) {
        m_doorOpen = false;
        if (!had || !sameToc(old, m_toc))
            ++m_serial;
    }
    return m_hasDisc;
}

bool CdioDrive::startParanoia()
{
    if (m_paranoia)
        return true;
    char *messages = nullptr;
    m_cdda = cdio_cddap_identify_cdio(m_cdio, CDDA_MESSAGE_FORGETIT, &messages);
    if (messages)
        cdio_cddap_free_messages(messages);
    if (!m_cdda || cdio_cddap_open(m_cdda) != 0) {
        if (m_cdda)
            cdio_cddap_close_no_free_cdio(m_cdda);
        m_cdda = nullptr;
        return false;
    }
    m_paranoia = cdio_paranoia_init(m_cdda);
    cdio_paranoia_modeset(m_paranoia, PARANOIA_MODE_OVERLAP | PARANOIA_MODE_VERIFY);
    m_paranoiaAt = -1;
    return true;
}

bool CdioDrive::readAudio(long sector, int count, char *out)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_cdio || !m_hasDisc || m_abandon) {
        setError(QStringLiteral("no disc"));
        return false;
    }
    const long end = m_toc.totalSectors();
    for (int i = 0; i < count; ++i, ++sector, out += tmsf::BytesPerSector) {
        if (m_abandon) {
            setError(QStringLiteral("the tray was opened"));
            return false;
        }
        if (sector < 0 || sector >= end) {
            std::memset(out, 0, tmsf::BytesPerSector);
            continue;
        }
        if (startParanoia()) {
            if (m_paranoiaAt != sector)
                cdio_paranoia_seek(m_paranoia, sector + m_lsnOffset, SEEK_SET);
            const int16_t *samples = cdio_paranoia_read_limited(m_paranoia, nullptr, 3);
            if (samples) {
                std::memcpy(out, samples, tmsf::BytesPerSector);
                m_paranoiaAt = sector + 1;
                continue;
            }
            m_paranoiaAt = -1;
        }
        if (cdio_read_audio_sectors(m_cdio, out, lsn_t(sector + m_lsnOffset), 1) != DRIVER_OP_SUCCESS) {
            setError(QStringLiteral("the disc could not be read"));
            return false;
        }
    }
    return true;
}

bool CdioDrive::openDoor()
{
    m_abandon = true;
    m_hasDisc = false;
    // A read in progress keeps our handle: the tray is opened on a handle
    // of its own rather than after waiting for the drive.
    std::unique_lock<std::mutex> lock(m_lock, std::try_to_lock);
    if (lock.owns_lock())
        closeHandle();
    const bool ok = cdio_eject_media_drive(m_device.constData()) == DRIVER_OP_SUCCESS;
    if (ok)
        m_doorOpen = true;
    else
        setError(QStringLiteral("the drive did not open"));
    if (lock.owns_lock()) {
        openHandle();
        m_abandon = false;
    }
    return ok;
}

bool CdioDrive::closeDoor()
{
    std::lock_guard<std::mutex> lock(m_lock);
    driver_id_t driver = DRIVER_DEVICE;
    const bool ok = cdio_close_tray(m_device.constData(), &driver) == DRIVER_OP_SUCCESS;
    if (ok)
        m_doorOpen = false;
    else
        setError(QStringLiteral("the drive did not close"));
    return ok;
}
