#pragma once
#include <QFuture>
#include <QString>

// Copies one file of the browsed folder into another folder (the program's
// own) under the same name. An existing file there is replaced only once the
// whole copy is written, so a failure never leaves a half-copied file.
enum class SnatchStatus {
    Copied,
    NothingSelected,   // no file name given
    BadName,           // the name is not a plain file name
    SourceMissing,     // no regular file by that name in the source folder
    SameFile,          // source and destination are one file
    ReadFailed,
    WriteFailed,       // destination not writable, disk full, ...
};

struct SnatchResult {
    SnatchStatus status = SnatchStatus::NothingSelected;
    QString source;
    QString destination;
    bool ok() const { return status == SnatchStatus::Copied; }
};

SnatchResult snatchFile(const QString &sourceFolder, const QString &name, const QString &destFolder);
// The same for a name given by its bytes, as the folder holds it (a name
// that is not valid UTF-8 has no text that reaches the file).
SnatchResult snatchFileBytes(const QString &sourceFolder, const QByteArray &name,
                             const QString &destFolder);

// The same copy on the thread pool, so that a large file does not freeze the window.
QFuture<SnatchResult> snatchFileAsync(const QString &sourceFolder, const QByteArray &name,
                                      const QString &destFolder);

// The message the main window shows for any failure.
inline const char *const SnatchFailedText = "Cannot copy file!";
inline const char *const SnatchFailedTitle = "Error";
