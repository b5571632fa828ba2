#pragma once
#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>

// The conversation between the program and a decoding helper, over a
// SOCK_SEQPACKET socket pair: one message a datagram, a file descriptor
// riding along where one is handed over.
//
//   program -> helper   Request  (+ the picture file, opened for reading)
//   helper  -> program  Size     the picture's own size, once its header is read
//   program -> helper   Want     the size the program wants for that
//   helper  -> program  Result   (+ a sealed memfd with the pixels when it worked)
//
// A helper may send Size more than once (never for the same size twice) and
// may skip it (a format that knows its size only once decoded).
namespace decodeprotocol {

// The helper's exit status when an allocation failed.
constexpr int ExitOutOfMemory = 4;

enum class Kind : uint32_t { Request = 0x51445747, Size = 0x53445747, Want = 0x57445747, Result = 0x52445747 };

struct Request {
    uint32_t keepAlpha = 0;
    uint32_t background = 0xff000000;   // ARGB laid under transparent parts
    uint32_t askSize = 0;               // the program wants a say in the size (Size/Want)
    uint32_t quickPreview = 0;          // a preview will do for now
    int32_t viewWidth = 0, viewHeight = 0;   // the screen (LoadRequest::view)
};

// Result::ok: 0 failed, 1 the picture, PreviewOk a preview (the one the
// file carries, or a quick view of a large picture: then the area says
// which part of the picture it shows).
constexpr int32_t PreviewOk = 2;

struct Result {
    int32_t ok = 0;
    int32_t width = 0, height = 0, bytesPerLine = 0, format = 0;   // format: QImage::Format
    int32_t sourceWidth = -1, sourceHeight = -1;
    int32_t areaX = 0, areaY = 0, areaWidth = 0, areaHeight = 0;   // LoadedPicture::previewArea
    QString error;
};

// Sends one message (and fd when >= 0). False when the other side is gone.
bool sendRequest(int socket, const Request &r, int fileFd);
bool sendSize(int socket, QSize size);
bool sendWant(int socket, QSize size);
bool sendResult(int socket, const Result &r, int pixelsFd);

// One received message: its kind, its fields, the fd that came with it (the
// receiver owns it), or ok false when the peer closed, sent garbage
// (garbled) or did not answer within timeoutMs (-1: wait for ever).
struct Message {
    bool ok = false;
    bool timedOut = false;
    bool garbled = false;   // something came that is not a message of ours
    Kind kind = Kind::Request;
    Request request;
    QSize size;
    Result result;
    int fd = -1;
};
Message receive(int socket, int timeoutMs);

} // namespace decodeprotocol
