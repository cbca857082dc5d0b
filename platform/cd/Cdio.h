#pragma once
// A libcdio handle that closes itself, opened with libcdio's own messages to stderr turned off:
// the player says what matters once, in its own words. Any thread (one thread per handle).
#include <cdio/cdio.h>

#include <memory>

namespace corvina::cd {

struct CdioCloser {
    void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioCloser>;

// cdio_open, quietly; null when libcdio cannot open `source` with `driver`.
CdioPtr openCdio(const char* source, driver_id_t driver);

}  // namespace corvina::cd
