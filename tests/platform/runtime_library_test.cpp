// Libraries opened by name at first use: a missing library or name is reported, not called.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/RuntimeLibrary.h"

namespace corvina {
namespace {

#define LIBC_FUNCTIONS(X) X(strlen) X(atoi)
struct Libc {
    LIBC_FUNCTIONS(CORVINA_LIBRARY_POINTER)
};

TEST(RuntimeLibrary, BindsEveryNameOfAPresentLibrary) {
    std::string error = "untouched";
    const Libc* libc = loadLibraryOnce<Libc>(
        "libc.so.6", [](RuntimeLibrary& lib, Libc& api) { LIBC_FUNCTIONS(CORVINA_LIBRARY_BIND) },
        &error);
    ASSERT_NE(libc, nullptr);
    EXPECT_EQ(libc->strlen("corvina"), 7u);
    EXPECT_EQ(libc->atoi("-42"), -42);
    EXPECT_EQ(error, "untouched");
}

TEST(RuntimeLibrary, AMissingLibraryOrNameGivesNoTableAndSaysWhy) {
    auto missingLibrary = [](std::string* error) {
        return loadLibraryOnce<Libc>(
            "libcorvina-absent.so.7",
            [](RuntimeLibrary& lib, Libc& api) { LIBC_FUNCTIONS(CORVINA_LIBRARY_BIND) }, error);
    };
    std::string error;
    EXPECT_EQ(missingLibrary(&error), nullptr);
    EXPECT_NE(error.find("libcorvina-absent.so.7"), std::string::npos) << error;
    // Asked again: the same answer, without trying again.
    std::string again;
    EXPECT_EQ(missingLibrary(&again), nullptr);
    EXPECT_EQ(again, error);
    EXPECT_EQ(missingLibrary(nullptr), nullptr);

    // One name missing spoils the table: a half-bound one would be called through a null pointer.
    RuntimeLibrary lib("libc.so.6");
    Libc api;
    LIBC_FUNCTIONS(CORVINA_LIBRARY_BIND)
    EXPECT_TRUE(lib.ok());
    void (*absent)() = nullptr;
    lib.bind(absent, "corvina_no_such_function");
    EXPECT_FALSE(lib.ok());
    EXPECT_EQ(absent, nullptr);
    EXPECT_NE(lib.error().find("corvina_no_such_function"), std::string::npos) << lib.error();
}

}  // namespace
}  // namespace corvina
