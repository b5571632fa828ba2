#include "viewer/LazyLibrary.h"

#include <dlfcn.h>

namespace lazylibrary {

void *open(const char *soname, QString *problem)
{
    void *library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        *problem = QStringLiteral("%1 cannot be loaded: %2").arg(QLatin1String(soname), QString::fromLocal8Bit(::dlerror()));
    return library;
}

void *function(void *library, const char *soname, const char *name, QString *problem)
{
    void *f = ::dlsym(library, name);
    if (!f)
        *problem = QStringLiteral("%1 has no %2").arg(QLatin1String(soname), QLatin1String(name));
    return f;
}

} // namespace lazylibrary
