#include "cd/MciInterpreter.h"

#include "cd/CdAudioDevice.h"
#include "cd/CdioDrive.h"
#include "cd/ImageDrive.h"
#include "cd/MciError.h"
#include "cd/QtAudioOutput.h"

#include <QStringList>
#include <algorithm>

MciInterpreter::MciInterpreter()
    : m_imageDrive(std::make_shared<ImageDrive>()),
      m_outputFactory([] { return std::make_unique<QtAudioOutput>(); })
{
}

MciInterpreter::~MciInterpreter() = default;

void MciInterpreter::useDefaultDrive()
{
    m_kind = Kind::Default;
    m_devicePath.clear();
}

void MciInterpreter::useDrive(const QString &devicePath)
{
    m_kind = Kind::Device;
    m_devicePath = devicePath;
}

ImageDrive &MciInterpreter::useImageDrive()
{
    m_kind = Kind::Image;
    return *m_imageDrive;
}

void MciInterpreter::setOutputFactory(std::function<std::unique_ptr<AudioOutput>()> factory)
{
    m_outputFactory = std::move(factory);
}

QString MciInterpreter::errorString(uint32_t code) const
{
    return mci::errorText(code);
}

CdAudioDevice *MciInterpreter::device(const QString &alias) const
{
    const auto it = m_devices.find(alias.toLower());
    return it == m_devices.end() ? nullptr : it->second.get();
}

uint32_t MciInterpreter::sendString(const QString &command, QString *reply, int replyLength)
{
    QStringList words = command.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return words.isEmpty() ? mci::UnknownCommand : mci::MissingArgument;
    const QString verb = words.takeFirst();
    // Every command may ask to wait or to be told when done: the device
    // answers at once, and nothing here runs long enough to need a notice.
    words.removeAll(QStringLiteral("wait"));
    words.removeAll(QStringLiteral("notify"));

    if (verb == QLatin1String("open"))
        return open(words);
    if (verb == QLatin1String("close")) {
        if (words.size() != 1)
            return mci::BadArgument;
        if (words[0] == QLatin1String("all")) {
            m_devices.clear();
            return mci::Ok;
        }
        return m_devices.erase(words[0]) ? mci::Ok : mci::DeviceNotOpen;
    }

    static const QStringList known = {"play", "pause", "resume", "stop", "seek", "set", "status"};
    if (!known.contains(verb))
        return mci::UnknownCommand;
    CdAudioDevice *dev = device(words.value(0));
    if (!dev)
        return mci::DeviceNotOpen;
    const QStringList args = words.mid(1);

    if (verb == QLatin1String("status")) {
        QString text;
        const uint32_t code = status(*dev, args, text);
        if (code == mci::Ok && reply && replyLength > 0)
            *reply = text.left(replyLength);
        return code;
    }
    if (verb == QLatin1String("set"))
        return set(*dev, args);
    if (verb == QLatin1String("play"))
        return play(*dev, args);
    if (verb == QLatin1String("seek"))
        return seek(*dev, args);
    if (!args.isEmpty())
        return mci::BadArgument;
    if (verb == QLatin1String("pause"))
        return dev->pause();
    if (verb == QLatin1String("resume"))
        return dev->resume();
    return dev->stop();
}

uint32_t MciInterpreter::open(const QStringList &words)
{
    QString type = words.value(0);
    QString alias = type;
    for (int i = 1; i < words.size(); ++i) {
        if (words[i] == QLatin1String("alias") && i + 1 < words.size())
            alias = words[++i];
        else if (words[i] == QLatin1String("type") && i + 1 < words.size())
            type = words[++i];
        else if (words[i] != QLatin1String("shareable"))
            return mci::BadArgument;
    }
    if (type != QLatin1String("cdaudio"))
        return mci::UnknownDeviceType;
    if (alias == QLatin1String("all") || m_devices.count(alias))
        return mci::AliasInUse;

    std::shared_ptr<DiscSource> source;
    if (m_kind == Kind::Image) {
        source = m_imageDrive;
    } else {
        auto drive = std::make_shared<CdioDrive>(m_kind == Kind::Device ? m_devicePath : QString());
        if (!drive->isOpen())
            return mci::NoDrive;
        source = drive;
    }
    m_devices[alias] = std::make_unique<CdAudioDevice>(source, m_outputFactory());
    return mci::Ok;
}

static bool readTrack(const QStringList &args, int at, int &track)
{
    if (args.size() != at + 2 || args[at] != QLatin1String("track"))
        return false;
    bool ok = false;
    track = args[at + 1].toInt(&ok);
    return ok;
}

uint32_t MciInterpreter::status(CdAudioDevice &dev, const QStringList &args, QString &reply)
{
    const QString item = args.join(QLatin1Char(' '));
    if (item == QLatin1String("mode")) {
        static const char *const names[] = {"not ready", "open", "stopped", "playing", "paused"};
        reply = QString::fromLatin1(names[int(dev.mode())]);
        return mci::Ok;
    }
    if (item == QLatin1String("media present")) {
        reply = dev.mediaPresent() ? QStringLiteral("true") : QStringLiteral("false");
        return mci::Ok;
    }
    if (item == QLatin1String("ready")) {
        reply = dev.mediaPresent() ? QStringLiteral("true") : QStringLiteral("false");
        return mci::Ok;
    }
    if (item == QLatin1String("time format")) {
        static const char *const names[] = {"tmsf", "msf", "milliseconds"};
        reply = QString::fromLatin1(names[int(dev.timeFormat())]);
        return mci::Ok;
    }
    if (args.isEmpty())
        return mci::MissingArgument;
    if (!dev.mediaPresent())
        return mci::NoDisc;

    int track = 0;
    if (item == QLatin1String("number of tracks")) {
        reply = QString::number(dev.toc().tracks.size());
    } else if (item == QLatin1String("current track")) {
        reply = QString::number(dev.trackAt(dev.position()));
    } else if (item == QLatin1String("position")) {
        reply = dev.positionText(dev.position());
    } else if (item == QLatin1String("length")) {
        reply = dev.lengthText(dev.toc().totalSectors());
    } else if (args[0] == QLatin1String("length") && readTrack(args, 1, track)) {
        if (dev.trackLength(track) < 0)
            return mci::OutOfRange;
        reply = dev.lengthText(dev.trackLength(track));
    } else if (args[0] == QLatin1String("position") && readTrack(args, 1, track)) {
        if (dev.trackStart(track) < 0)
            return mci::OutOfRange;
        reply = dev.positionText(dev.trackStart(track));
    } else if (args[0] == QLatin1String("type") && readTrack(args, 1, track)) {
        const auto &tracks = dev.toc().tracks;
        const auto it = std::find_if(tracks.begin(), tracks.end(),
                                     [track](const TocEntry &e) { return e.number == track; });
        if (it == tracks.end())
            return mci::OutOfRange;
        reply = it->audio ? QStringLiteral("audio") : QStringLiteral("other");
    } else {
        return mci::BadArgument;
    }
    return mci::Ok;
}

uint32_t MciInterpreter::set(CdAudioDevice &dev, const QStringList &args)
{
    if (args.size() == 3 && args[0] == QLatin1String("time") && args[1] == QLatin1String("format")) {
        if (args[2] == QLatin1String("tmsf"))
            dev.setTimeFormat(CdAudioDevice::TimeFormat::Tmsf);
        else if (args[2] == QLatin1String("msf"))
            dev.setTimeFormat(CdAudioDevice::TimeFormat::Msf);
        else if (args[2] == QLatin1String("milliseconds") || args[2] == QLatin1String("ms"))
            dev.setTimeFormat(CdAudioDevice::TimeFormat::Milliseconds);
        else
            return mci::BadArgument;
        return mci::Ok;
    }
    if (args.size() == 2 && args[0] == QLatin1String("door")) {
        if (args[1] == QLatin1String("open"))
            return dev.setDoor(true);
        if (args[1] == QLatin1String("closed"))
            return dev.setDoor(false);
    }
    return args.isEmpty() ? mci::MissingArgument : mci::BadArgument;
}

uint32_t MciInterpreter::play(CdAudioDevice &dev, const QStringList &args)
{
    if (!dev.mediaPresent())
        return mci::NoDisc;
    std::optional<long> from, to;
    for (int i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return mci::MissingArgument;
        uint32_t error = mci::Ok;
        const auto at = dev.parsePosition(args[i + 1], error);
        if (!at)
            return error;
        if (args[i] == QLatin1String("from"))
            from = at;
        else if (args[i] == QLatin1String("to"))
            to = at;
        else
            return mci::BadArgument;
    }
    return dev.play(from, to);
}

uint32_t MciInterpreter::seek(CdAudioDevice &dev, const QStringList &args)
{
    if (args.size() != 2 || args[0] != QLatin1String("to"))
        return args.isEmpty() ? mci::MissingArgument : mci::BadArgument;
    if (!dev.mediaPresent())
        return mci::NoDisc;
    if (args[1] == QLatin1String("start"))
        return dev.seek(0);
    if (args[1] == QLatin1String("end"))
        return dev.seek(dev.toc().totalSectors());
    uint32_t error = mci::Ok;
    const auto at = dev.parsePosition(args[1], error);
    return at ? dev.seek(*at) : error;
}

MciInterpreter &mciSystem()
{
    static MciInterpreter system;
    return system;
}
