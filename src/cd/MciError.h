#pragma once
#include <QString>
#include <cstdint>

// Result codes of the media control command interpreter; 0 is success.
namespace mci {

enum Error : uint32_t {
    Ok = 0,
    UnknownCommand = 257,
    DeviceNotOpen,
    AliasInUse,
    UnknownDeviceType,
    NoDrive,
    MissingArgument,
    BadArgument,
    OutOfRange,
    NoDisc,
    DiscUnreadable,
    NoAudioOutput,
    DoorFailed,
    Unsupported,
};

// The text for a result code, as the error box shows it.
QString errorText(uint32_t code);

} // namespace mci
