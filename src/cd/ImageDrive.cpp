#include "cd/ImageDrive.h"

#include "cd/CdioLog.h"
#include "cd/Tmsf.h"

#include <QFileInfo>
#include <cdio/cdio.h>
#include <cstring>

ImageDrive::ImageDrive() = default;

ImageDrive::~ImageDrive()
{
    closeHandles();
}

void ImageDrive::closeHandles()
{
    // Never eject an image handle: libcdio frees it on eject.
    if (m_cdio)
        cdio_destroy(m_cdio);
    m_cdio = nullptr;
    m_files.clear();
}

bool ImageDrive::insert(const QString &cuePath)
{
    // Everything is checked before the disc in the drive is let go, so
    // that an unusable image leaves the drive as it was.
    CueSheet sheet;
    QString why;
    if (!parseCueSheet(cuePath, sheet, why)) {
        setError(QStringLiteral("%1: %2").arg(QFileInfo(cuePath).fileName(), why));
        return false;
    }
    std::vector<std::unique_ptr<QFile>> files;
    for (const QString &name : sheet.files) {
        auto f = std::make_unique<QFile>(name);
        if (!f->open(QIODevice::ReadOnly)) {
            setError(QStringLiteral("cannot read %1").arg(QFileInfo(name).fileName()));
            return false;
        }
        files.push_back(std::move(f));
    }

    std::lock_guard<std::mutex> lock(m_lock);
    removeLocked();
    m_path = cuePath;
    m_doorOpen = false;
    m_sheet = sheet;
    m_files = std::move(files);

    // libcdio opens "<cue name>.bin" whatever the FILE line says, and maps
    // sector n to byte n * 2352: use it only where that is this image.
    const QFileInfo cue(cuePath);
    const QString expectedBin = cue.absolutePath() + '/' + cue.completeBaseName() + ".bin";
    bool libcdioFits = m_sheet.files.size() == 1 && m_sheet.files[0] == expectedBin;
    for (const CueTrack &t : m_sheet.tracks)
        libcdioFits = libcdioFits && t.sectorSize == tmsf::BytesPerSector && !t.bigEndian
                      && t.fileOffset == qint64(t.discStart) * tmsf::BytesPerSector;
    if (libcdioFits) {
        cdiolog::quieten();
        m_cdio = cdio_open(QFile::encodeName(cuePath).constData(), DRIVER_BINCUE);
    }

    for (const CueTrack &t : m_sheet.tracks)
        m_toc.tracks.append(TocEntry{t.number, t.discStart, t.sectors, t.audio});
    m_loaded = true;
    ++m_serial;
    m_error.clear();
    return true;
}

void ImageDrive::setError(const QString &text)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_error = text;
}

QString ImageDrive::lastError() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_error;
}

void ImageDrive::remove()
{
    std::lock_guard<std::mutex> lock(m_lock);
    removeLocked();
}

void ImageDrive::removeLocked()
{
    closeHandles();
    m_loaded = false;
    m_toc = Toc();
    m_sheet = CueSheet();
}

bool ImageDrive::mediaPresent()
{
    return m_loaded && !m_doorOpen;
}

bool ImageDrive::readSectorsOf(const CueTrack &t, long first, int count, char *out)
{
    const long intoTrack = first - t.discStart;
    if (!t.audio) {
        std::memset(out, 0, size_t(count) * tmsf::BytesPerSector);
        return true;
    }
    if (m_cdio) {
        if (cdio_read_audio_sectors(m_cdio, out, lsn_t(first), uint32_t(count)) == DRIVER_OP_SUCCESS)
            return true;
        m_error = QStringLiteral("the image could not be read");
        return false;
    }
    QFile &f = *m_files[size_t(t.fileIndex)];
    const qint64 bytes = qint64(count) * tmsf::BytesPerSector;
    if (!f.seek(t.fileOffset + qint64(intoTrack) * t.sectorSize) || f.read(out, bytes) != bytes) {
        m_error = QStringLiteral("the image could not be read");
        return false;
    }
    if (t.bigEndian) {
        for (qint64 i = 0; i + 1 < bytes; i += 2)
            std::swap(out[i], out[i + 1]);
    }
    return true;
}

bool ImageDrive::readAudio(long sector, int count, char *out)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!mediaPresent()) {
        m_error = QStringLiteral("no disc");
        return false;
    }
    while (count > 0) {
        const CueTrack *track = nullptr;
        for (const CueTrack &t : m_sheet.tracks)
            if (sector >= t.discStart && sector < t.discStart + t.sectors)
                track = &t;
        int n = count;
        if (!track) {
            std::memset(out, 0, size_t(n) * tmsf::BytesPerSector);
        } else {
            n = int(std::min<long>(count, track->discStart + track->sectors - sector));
            if (!readSectorsOf(*track, sector, n, out))
                return false;
        }
        sector += n;
        count -= n;
        out += qint64(n) * tmsf::BytesPerSector;
    }
    return true;
}

bool ImageDrive::openDoor()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_doorOpen = true;
    closeHandles();
    m_loaded = false;
    m_toc = Toc();
    return true;
}

bool ImageDrive::closeDoor()
{
    QString path;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_doorOpen)
            return true;
        m_doorOpen = false;
        path = m_path;
    }
    return path.isEmpty() || insert(path);
}
