#include "store/MimeLibrary.h"

void MimeLibrary::ensureInitialized()
{
    static const bool ready = [] {
        g_mime_init();
        return true;
    }();
    (void)ready;
}

void MimeLibrary::release(void *object)
{
    if (object)
        g_object_unref(object);
}
