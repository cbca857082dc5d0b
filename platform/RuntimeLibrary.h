#pragma once
// A shared library opened by name the first time one of its functions is needed, instead of
// being linked: a library the run never needs (the event-sound library for a player that never
// opens a menu, the audio-file library for a disc) is then never mapped, and costs neither start-up
// time nor memory.
//
// A library's functions are gathered in a table of pointers, typed after the library's own header,
// and bound once for the rest of the run; the library is never closed. The table is made on first
// use under a function-local static, so any thread may ask for it.
//
//   #define CORVINA_FOO_FUNCTIONS(X) X(foo_open) X(foo_close)
//   struct Foo { CORVINA_FOO_FUNCTIONS(CORVINA_LIBRARY_POINTER) };
//   const Foo* foo(std::string* error) {
//       return loadLibraryOnce<Foo>("libfoo.so.1", [](RuntimeLibrary& lib, Foo& api) {
//           CORVINA_FOO_FUNCTIONS(CORVINA_LIBRARY_BIND)
//       }, error);
//   }
#include <string>

// One member of a function table: a pointer of the function's own type, under its own name.
#define CORVINA_LIBRARY_POINTER(name) decltype(&::name) name = nullptr;
// Binds one member of the table `api` from the library `lib`.
#define CORVINA_LIBRARY_BIND(name) lib.bind(api.name, #name);

namespace corvina {

class RuntimeLibrary {
public:
    // Opens the library by its file name ("libsndfile.so.1"), searched as the dynamic linker
    // searches for linked ones.
    explicit RuntimeLibrary(const char* soname);
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    template <typename Function>
    void bind(Function& function, const char* name) {
        function = reinterpret_cast<Function>(symbol(name));
    }

    // True when the library opened and every bound name was found.
    bool ok() const { return error_.empty(); }
    // Why not, in the dynamic linker's words.
    const std::string& error() const { return error_; }

private:
    void* symbol(const char* name);

    void* handle_ = nullptr;
    std::string error_;
};

// The table `Api` of the library `soname`, filled by `bindAll(lib, api)` on the first call from
// each place that calls this; null when the library or one of its names is missing, with the
// reason in `error`.
template <typename Api, typename BindAll>
const Api* loadLibraryOnce(const char* soname, BindAll bindAll, std::string* error) {
    struct Loaded {
        Api api{};
        std::string error;
    };
    static const Loaded loaded = [&] {
        Loaded result;
        RuntimeLibrary lib(soname);
        bindAll(lib, result.api);
        result.error = lib.error();
        return result;
    }();
    if (loaded.error.empty()) return &loaded.api;
    if (error) *error = loaded.error;
    return nullptr;
}

}  // namespace corvina
