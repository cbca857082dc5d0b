#pragma once
// libsndfile, opened the first time an audio file of a rip is read: a player on a drive, the demo
// disc or a rip of CD-format WAV files never maps it, nor the eight codec libraries it brings.
#include <sndfile.h>

#include <string>

#include "platform/RuntimeLibrary.h"

namespace corvina::cd {

#define CORVINA_SNDFILE_FUNCTIONS(X) \
    X(sf_open)                       \
    X(sf_close) X(sf_seek) X(sf_readf_short) X(sf_readf_float) X(sf_strerror) X(sf_get_string)

struct Sndfile {
    CORVINA_SNDFILE_FUNCTIONS(CORVINA_LIBRARY_POINTER)
};

// The library's functions, or null when it cannot be opened; `error` then says why. Any thread.
const Sndfile* sndfile(std::string* error = nullptr);

}  // namespace corvina::cd
