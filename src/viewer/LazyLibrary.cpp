#include "viewer/LazyLibrary.h"

#include <dlfcn.h>

namespace lazylibrary {

void *function(const char *soname, const char *name, QString *problem)
{
    // Opened again for each function: after the first time only a count goes up.
    void *library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        *problem = QStringLiteral("%1 cannot be loaded: %2").arg(QLatin1String(soname), QString::fromLocal8Bit(::dlerror()));
        return nullptr;
    }
    void *f = ::dlsym(library, name);
    if (!f)
        *problem = QStringLiteral("%1 has no %2").arg(QLatin1String(soname), QLatin1String(name));
    return f;
}

} // namespace lazylibrary
