#pragma once
#include <QByteArray>
#include <QString>

// File names as the file system holds them: bytes. Qt decodes names as UTF-8
// and puts a replacement character where a byte is not valid, so the text of
// a name from an old archive or a FAT stick (Latin-1 "caf\xe9.jpg") no longer
// names the file. The listing keeps each name's bytes beside the text it
// shows, and everything that opens a listed file goes through the bytes.
namespace RawPath {

// The text shown for a name or path; U+FFFD where a byte cannot be shown.
QString display(const QByteArray &bytes);
// True when display() encodes back to the same bytes, so the text alone
// reaches the file.
bool isFaithful(const QByteArray &bytes);
// folder + "/" + name, without doubling a trailing "/".
QByteArray join(const QByteArray &folder, const QByteArray &name);
// The bytes of a path the program itself spells as text.
QByteArray fromText(const QString &path);

} // namespace RawPath

// A path every Qt class and library can open, for a file named by its bytes:
// the text itself where it is faithful, else the file held open (O_PATH) and
// reached through /proc/self/fd, which reopens the very same file. Keep the
// object alive for as long as the path is in use (a clip that is playing).
class OpenedPath {
public:
    OpenedPath() = default;
    explicit OpenedPath(const QByteArray &bytes);
    ~OpenedPath();
    OpenedPath(OpenedPath &&other) noexcept;
    OpenedPath &operator=(OpenedPath &&other) noexcept;
    OpenedPath(const OpenedPath &) = delete;
    OpenedPath &operator=(const OpenedPath &) = delete;

    // Empty when the file could not be reached.
    QString path() const { return m_path; }
    // What the user sees for it (replacement characters included).
    QString display() const { return m_display; }

private:
    void release();
    int m_fd = -1;
    QString m_path;
    QString m_display;
};
