#include "cd/MciError.h"

namespace mci {

QString errorText(uint32_t code)
{
    switch (code) {
    case Ok:
        return QStringLiteral("The command completed successfully.");
    case UnknownCommand:
        return QStringLiteral("The command is not recognised. Check the spelling of the command.");
    case DeviceNotOpen:
        return QStringLiteral("The named device is not open. Open it before sending it commands.");
    case AliasInUse:
        return QStringLiteral("The alias is already used by an open device. Use another alias.");
    case UnknownDeviceType:
        return QStringLiteral("The device type is not known. Only cdaudio devices can be opened.");
    case NoDrive:
        return QStringLiteral("No CD audio device was found. Check that a CD drive is connected, "
                              "or open a disc image.");
    case MissingArgument:
        return QStringLiteral("The command is missing a value it needs.");
    case BadArgument:
        return QStringLiteral("The command contains a word or value the device does not understand.");
    case OutOfRange:
        return QStringLiteral("The position is outside the disc.");
    case NoDisc:
        return QStringLiteral("There is no audio disc in the drive. Insert a disc and try again.");
    case DiscUnreadable:
        return QStringLiteral("The disc could not be read.");
    case NoAudioOutput:
        return QStringLiteral("The sound output could not be opened. Check that a sound server "
                              "is running.");
    case DoorFailed:
        return QStringLiteral("The drive door could not be moved.");
    case Unsupported:
        return QStringLiteral("The device cannot carry out this command.");
    }
    return QStringLiteral("Unknown error %1.").arg(code);
}

} // namespace mci
