#pragma once
#include <QString>

// Why a file cannot be opened for reading, in the system's own words
// ("No such file or directory", "Permission denied", "Too many levels of
// symbolic links", "Is a directory"); empty when it can be read.
QString fileProblem(const QString &path);
