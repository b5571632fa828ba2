#include "cd/CdioLog.h"

#include <QtGlobal>
#include <cdio/logging.h>

namespace cdiolog {

static void handler(cdio_log_level_t level, const char *message)
{
    if (level >= CDIO_LOG_ERROR)
        qWarning("libcdio: %s", message);
}

void quieten()
{
    static const bool done = (cdio_log_set_handler(handler), true);
    Q_UNUSED(done);
}

} // namespace cdiolog
