#pragma once

#include <memory>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

// GMime, the MIME library the signature files are read and written with.
class MimeLibrary
{
public:
    // GMime keeps global tables that must be set up once before first use.
    static void ensureInitialized();

    // An owned GObject of GMime, released with its last reference.
    template <typename T> using Object = std::unique_ptr<T, void (*)(void *)>;

    template <typename T> static Object<T> own(T *object) { return Object<T>(object, &release); }

private:
    static void release(void *object);
};
