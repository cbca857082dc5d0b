#include "platform/cd/Sndfile.h"

namespace corvina::cd {

const Sndfile* sndfile(std::string* error) {
    return loadLibraryOnce<Sndfile>(
        CORVINA_SNDFILE_SONAME,
        [](RuntimeLibrary& lib, Sndfile& api) { CORVINA_SNDFILE_FUNCTIONS(CORVINA_LIBRARY_BIND) },
        error);
}

}  // namespace corvina::cd
