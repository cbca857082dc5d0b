#include "platform/cd/Cdio.h"

#include <cdio/logging.h>

namespace corvina::cd {
namespace {

void quietLog(cdio_log_level_t, const char*) {}

}  // namespace

CdioPtr openCdio(const char* source, driver_id_t driver) {
    cdio_log_set_handler(quietLog);
    return CdioPtr(cdio_open(source, driver));
}

}  // namespace corvina::cd
