#pragma once
#include <QString>

// Locks the calling process down for decoding: no new privileges, and a
// seccomp filter that refuses what a decoder never needs (new namespaces,
// mounts, tracing other processes, the kernel keyring, pushing keys into a
// terminal, loading programs into the kernel, starting other programs, and
// any socket but a local one). Irreversible; call it before reading input.
// False with why set when the kernel would not take the filter.
bool lockDownForDecoding(QString *why);
