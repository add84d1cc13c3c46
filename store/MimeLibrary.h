#pragma once

#include <memory>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

// GMime, the MIME library the signature files are read and written with.
namespace MimeLibrary {
// GMime keeps global tables that must be set up once before first use.
void ensureInitialized();

// An owned GObject of GMime, released with its last reference.
template <typename T> using Object = std::unique_ptr<T, void (*)(void *)>;

// Drops one reference of a GMime object; own()'s deleter.
void release(void *object);
template <typename T> Object<T> own(T *object)
{
    return Object<T>(object, &release);
}
} // namespace MimeLibrary
