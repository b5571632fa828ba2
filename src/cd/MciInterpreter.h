#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class AudioOutput;
class CdAudioDevice;
class ImageDrive;

// Our interpreter of the media control command strings for CD audio:
// "open cdaudio alias cd wait shareable", "play cd from 3", "status cd
// position", "close all" and their kin. It keeps each open device under
// its alias and answers status queries with text replies.
class MciInterpreter
{
public:
    MciInterpreter();
    ~MciInterpreter();
    MciInterpreter(const MciInterpreter &) = delete;
    MciInterpreter &operator=(const MciInterpreter &) = delete;

    // Where "open cdaudio" finds its disc: the system's default drive (the
    // start), a drive by device path, or the image drive, a drive whose
    // disc is a CUE/BIN image that lives as long as the interpreter.
    void useDefaultDrive();
    void useDrive(const QString &devicePath);
    ImageDrive &useImageDrive();
    ImageDrive &imageDrive() { return *m_imageDrive; }
    bool usesImageDrive() const { return m_kind == Kind::Image; }

    // Makes the audio outputs of devices opened from now on (tests).
    void setOutputFactory(std::function<std::unique_ptr<AudioOutput>()> factory);

    // Carries out one command. A reply, if the command has one and reply is
    // given, replaces *reply cut to replyLength characters; on failure
    // *reply is left as it was. Returns 0 or an mci::Error code.
    uint32_t sendString(const QString &command, QString *reply = nullptr, int replyLength = 0);
    QString errorString(uint32_t code) const;

    // The open device of an alias, or null.
    CdAudioDevice *device(const QString &alias) const;

private:
    enum class Kind { Default, Device, Image };

    uint32_t open(const QStringList &words);
    uint32_t status(CdAudioDevice &dev, const QStringList &args, QString &reply);
    uint32_t set(CdAudioDevice &dev, const QStringList &args);
    uint32_t play(CdAudioDevice &dev, const QStringList &args);
    uint32_t seek(CdAudioDevice &dev, const QStringList &args);

    Kind m_kind = Kind::Default;
    QString m_devicePath;
    std::shared_ptr<ImageDrive> m_imageDrive;
    std::function<std::unique_ptr<AudioOutput>()> m_outputFactory;
    std::map<QString, std::unique_ptr<CdAudioDevice>> m_devices;
};

// The interpreter the program's windows share.
MciInterpreter &mciSystem();
