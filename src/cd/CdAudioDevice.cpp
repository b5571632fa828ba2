#include "cd/CdAudioDevice.h"

#include "cd/CdAudioStream.h"
#include "cd/MciError.h"
#include "cd/Tmsf.h"

CdAudioDevice::CdAudioDevice(std::shared_ptr<DiscSource> source,
                             std::unique_ptr<AudioOutput> output, QObject *parent)
    : QObject(parent), m_source(std::move(source)), m_output(std::move(output))
{
    if (m_source->mediaPresent())
        m_serial = m_source->discSerial();
    connect(m_output.get(), &AudioOutput::lost, this, &CdAudioDevice::endPlay);
}

CdAudioDevice::~CdAudioDevice()
{
    endPlay();
}

void CdAudioDevice::endPlay()
{
    if (m_stream) {
        if (m_mode == Mode::Playing || m_mode == Mode::Paused)
            m_position = std::min(m_stream->position(), m_stream->end());
        m_output->stop();
        m_stream.reset();
    }
    if (m_mode == Mode::Playing || m_mode == Mode::Paused)
        m_mode = Mode::Stopped;
}

void CdAudioDevice::streamFinished()
{
    auto *finished = qobject_cast<CdAudioStream *>(sender());
    if (!finished || finished != m_stream.get())
        return;
    // The output may still be playing its last buffer and keeps the stream
    // until the next command; from here on the disc counts as stopped.
    m_position = m_stream->failed() ? m_stream->position() : m_stream->end();
    m_mode = Mode::Stopped;
}

bool CdAudioDevice::mediaPresent()
{
    if (!m_source->mediaPresent()) {
        endPlay();
        m_position = 0;
        m_serial = 0;
        return false;
    }
    if (m_source->discSerial() != m_serial) {
        endPlay();
        m_serial = m_source->discSerial();
        m_position = 0;
    }
    return true;
}

CdAudioDevice::Mode CdAudioDevice::mode()
{
    if (!mediaPresent())
        return m_source->doorOpen() ? Mode::Open : Mode::NotReady;
    return m_mode;
}

long CdAudioDevice::position()
{
    if (m_stream && m_mode != Mode::Stopped)
        return std::min(m_stream->position(), m_stream->end());
    return m_position;
}

int CdAudioDevice::trackAt(long sector) const
{
    const Toc &t = toc();
    for (const TocEntry &e : t.tracks)
        if (sector < e.start + e.sectors)
            return e.number;
    return t.tracks.isEmpty() ? 0 : t.tracks.last().number;
}

static const TocEntry *entry(const Toc &toc, int track)
{
    for (const TocEntry &e : toc.tracks)
        if (e.number == track)
            return &e;
    return nullptr;
}

long CdAudioDevice::trackStart(int track) const
{
    const TocEntry *e = entry(toc(), track);
    return e ? e->start : -1;
}

long CdAudioDevice::trackLength(int track) const
{
    const TocEntry *e = entry(toc(), track);
    return e ? e->sectors : -1;
}

long CdAudioDevice::playableEnd() const
{
    const Toc &t = toc();
    for (int i = t.tracks.size() - 1; i >= 0; --i)
        if (t.tracks[i].audio)
            return t.tracks[i].start + t.tracks[i].sectors;
    return 0;
}

uint32_t CdAudioDevice::play(std::optional<long> from, std::optional<long> to)
{
    if (!mediaPresent())
        return mci::NoDisc;
    if (!from && !to && m_mode == Mode::Paused)
        return resume();
    const long start = from ? *from : position();
    const long end = to ? *to : playableEnd();
    if (start >= end)
        return start > end || from ? mci::OutOfRange : mci::Ok;   // already at the end
    endPlay();
    m_stream = std::make_unique<CdAudioStream>(m_source, start, end);
    connect(m_stream.get(), &CdAudioStream::finished, this, &CdAudioDevice::streamFinished);
    QString why;
    if (!m_output->start(m_stream.get(), why)) {
        m_stream.reset();
        m_position = start;
        m_mode = Mode::Stopped;
        return mci::NoAudioOutput;
    }
    m_mode = Mode::Playing;
    return mci::Ok;
}

uint32_t CdAudioDevice::pause()
{
    if (!mediaPresent())
        return mci::NoDisc;
    if (m_mode == Mode::Playing) {
        m_output->suspend();
        m_mode = Mode::Paused;
    }
    return mci::Ok;
}

uint32_t CdAudioDevice::resume()
{
    if (!mediaPresent())
        return mci::NoDisc;
    if (m_mode == Mode::Paused) {
        m_output->resume();
        m_mode = Mode::Playing;
    }
    return mci::Ok;
}

uint32_t CdAudioDevice::stop()
{
    if (!mediaPresent())
        return mci::NoDisc;
    endPlay();
    return mci::Ok;
}

uint32_t CdAudioDevice::seek(long sector)
{
    if (!mediaPresent())
        return mci::NoDisc;
    if (sector < 0 || sector > toc().totalSectors())
        return mci::OutOfRange;
    endPlay();
    m_position = sector;
    return mci::Ok;
}

uint32_t CdAudioDevice::setDoor(bool open)
{
    endPlay();
    if (!(open ? m_source->openDoor() : m_source->closeDoor()))
        return mci::DoorFailed;
    mediaPresent();
    return mci::Ok;
}

std::optional<long> CdAudioDevice::parsePosition(const QString &text, uint32_t &error) const
{
    error = mci::BadArgument;
    long sector = 0;
    switch (m_format) {
    case TimeFormat::Tmsf: {
        const auto v = tmsf::parseTmsf(text);
        if (!v)
            return std::nullopt;
        const long start = trackStart(v->track);
        const long offset = tmsf::toSectors(v->minutes, v->seconds, v->frames);
        if (start < 0 || offset > trackLength(v->track)) {
            error = mci::OutOfRange;
            return std::nullopt;
        }
        sector = start + offset;
        break;
    }
    case TimeFormat::Msf: {
        const auto v = tmsf::parseMsf(text);
        if (!v)
            return std::nullopt;
        sector = *v;
        break;
    }
    case TimeFormat::Milliseconds: {
        bool ok = false;
        const qint64 ms = text.toLongLong(&ok);
        if (!ok || ms < 0)
            return std::nullopt;
        sector = long(ms * tmsf::FramesPerSecond / 1000);
        break;
    }
    }
    if (sector > toc().totalSectors()) {
        error = mci::OutOfRange;
        return std::nullopt;
    }
    error = mci::Ok;
    return sector;
}

QString CdAudioDevice::positionText(long sector) const
{
    switch (m_format) {
    case TimeFormat::Tmsf: {
        const int track = trackAt(sector);
        return tmsf::tmsfText(track, sector - trackStart(track));
    }
    case TimeFormat::Msf:
        return tmsf::msfText(sector);
    case TimeFormat::Milliseconds:
        break;
    }
    return QString::number(qint64(sector) * 1000 / tmsf::FramesPerSecond);
}

QString CdAudioDevice::lengthText(long sectors) const
{
    if (m_format == TimeFormat::Milliseconds)
        return QString::number(qint64(sectors) * 1000 / tmsf::FramesPerSecond);
    return tmsf::msfText(sectors);
}
