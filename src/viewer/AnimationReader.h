#pragma once
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QString>
#include <QVector>

#include <memory>

// The frames of an animated GIF, WebP or PNG (APNG), one at a time, as the
// viewer plays them. Nothing is decoded ahead: next() decodes one frame,
// composes it on the canvas and returns the whole picture; the reader keeps
// only the canvas (and, for an APNG frame that asks to be undone, the part
// it covers), so a long animation costs a couple of pictures of memory.
// Every frame's size is checked against PictureLimits before it is decoded.
//
// GIF and WebP frames come from Qt's readers, which compose them already;
// Qt's PNG reader shows only the first frame of an APNG, so its frames are
// read here from the acTL/fcTL/fdAT chunks, each rebuilt as a small PNG for
// QImage to decode and composed with the frame's dispose and blend rules.
// Not thread-safe: one thread at a time.
class AnimationReader {
public:
    struct Frame {
        QImage image;   // the whole picture, ARGB32 premultiplied
        int delayMs = 0;
    };

    explicit AnimationReader(const QString &path);
    ~AnimationReader();
    AnimationReader(const AnimationReader &) = delete;
    AnimationReader &operator=(const AnimationReader &) = delete;

    // More than one frame: worth playing.
    bool isAnimated() const { return m_frameCount > 1; }
    int frameCount() const { return m_frameCount; }
    // How many times the whole animation plays; 0: for ever.
    int plays() const { return m_plays; }
    QSize size() const { return m_size; }

    // The next frame in order, or false (and error() says why) after the
    // last frame of the last play or when a frame cannot be decoded.
    bool next(Frame *frame);
    // Index of the frame next() returned last, and the play it belongs to
    // (both from 0).
    int frameIndex() const { return m_index; }
    int play() const { return m_play; }
    QString error() const { return m_error; }

    // Whole-size pictures held between frames (memory checks).
    int picturesHeld() const;

private:
    struct PngFrame {
        QRect area;
        int delayMs = 0;
        quint8 dispose = 0;
        quint8 blend = 0;
        QVector<QPair<qint64, qint64>> data;   // file offset and length of each data part
    };

    void openQt();
    bool nextQt(Frame *frame);
    bool parsePng();
    bool nextPng(Frame *frame);
    QImage decodePngFrame(const PngFrame &f);
    bool allowed(const QSize &size);

    QString m_path;
    QByteArray m_format;
    qint64 m_fileBytes = 0;
    int m_frameCount = 0;
    int m_plays = 1;
    QSize m_size;
    int m_index = -1;
    int m_play = 0;
    QString m_error;

    std::unique_ptr<QImageReader> m_qt;

    QFile m_file;
    QByteArray m_header;   // IHDR data
    QByteArray m_shared;   // chunks every frame needs (PLTE, tRNS), whole
    QVector<PngFrame> m_frames;
    QImage m_canvas;
    QImage m_saved;        // what the frame being composed covered, when it asks to be undone
};
