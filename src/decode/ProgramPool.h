#pragma once
#include "decode/DecoderPool.h"

#include <QString>

#include <memory>

// The pool a program decodes through: glintwave-decode beside the program
// (the build tree) or in its libexec folder (installed), under bubblewrap
// where namespaces can be made. When they cannot, the pool's notice() says
// so (the caller tells the user once) and the helper still runs with its
// seccomp filter and limits; decoding never falls back into the program
// itself.
// GLINTWAVE_DECODE_HELPER names another helper and GLINTWAVE_DECODE_SECONDS
// shortens the time a picture may take (both for the tests).
std::unique_ptr<DecoderPool> startDecoderPool(const QString &programFolder, qint64 addressSpaceBytes);
