#pragma once

#include <QString>

// The one fixed page the preview ever loads: no script of its own, and a
// policy that lets none run, and a frame that fills it. A signature is the
// whole document of that frame, sandboxed without scripts, forms or top-level
// navigation; showing another replaces that document, so nothing of the
// earlier one stays, and the page itself is never reloaded.
class PreviewPage
{
public:
    static QString html();
    // The id of the frame that holds the signature.
    static QString containerId();
};
