#pragma once

#include <dlfcn.h>

#include <mutex>

namespace tavix::SharedLibrary {

// Heavy libraries (libvips and what it pulls in, GIO) are loaded on first use,
// so a command that never needs them doesn't pay for loading and relocating
// them at start-up. Null when the library can't be loaded.
inline void* open(const char* soname) {
    return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

// Points `function` at `name` in `library` (or a library it depends on);
// false when it isn't there.
template <class Function>
bool resolve(void* library, const char* name, Function*& function) {
    function = reinterpret_cast<Function*>(::dlsym(library, name));
    return function != nullptr;
}

// The functions of `soname`, loaded once for the process on the first call:
// `Functions::load(library)` resolves them (and starts the library if it needs
// it) and answers whether all went well. Null when the library can't be loaded
// or `load` fails; later calls answer the same without trying again.
template <class Functions>
const Functions* functions(const char* soname) {
    static Functions loaded;
    static const Functions* shared = nullptr;
    static std::once_flag once;
    std::call_once(once, [soname] {
        void* library = open(soname);
        if (library && loaded.load(library)) shared = &loaded;
    });
    return shared;
}

}  // namespace tavix::SharedLibrary
