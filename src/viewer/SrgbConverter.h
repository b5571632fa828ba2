#pragma once
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>

#include <mutex>

// Turns a decoded picture into sRGB through the ICC profile its file
// carries (littlecms), so that the effects, saving, printing and the screen
// all work on the colours the picture was made with. A transform is made
// once for each profile and kept. Safe to use from several threads.
class SrgbConverter {
public:
    SrgbConverter();
    ~SrgbConverter();
    SrgbConverter(const SrgbConverter &) = delete;
    SrgbConverter &operator=(const SrgbConverter &) = delete;

    // The picture in sRGB; the picture itself when the profile is empty,
    // cannot be read, is sRGB already or is not an RGB profile.
    QImage toSrgb(const QImage &picture, const QByteArray &icc);

    // The profile's own description ("ProPhoto RGB"), or empty.
    static QString profileName(const QByteArray &icc);

private:
    void *transformFor(const QByteArray &icc);

    std::mutex m_lock;
    QHash<QByteArray, void *> m_transforms;   // by the profile's MD5; null: leave as it is
};
