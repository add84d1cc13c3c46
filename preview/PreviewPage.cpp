#include "preview/PreviewPage.h"

QString PreviewPage::html()
{
    // The frame's document inherits the policy, so script is refused twice.
    // allow-same-origin lets the program read what the frame shows; with no
    // script in the frame it gives the signature nothing. allow-popups lets a
    // user's click on a target=_blank link reach the navigation policy.
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                          "<meta http-equiv=\"Content-Security-Policy\""
                          " content=\"script-src 'none'; object-src 'none'; form-action 'none'\">"
                          "<style>html,body{margin:0;height:100%;overflow:hidden}"
                          "iframe{display:block;border:0;width:100%;height:100%}</style></head>"
                          "<body><iframe id=\"%1\" sandbox=\"allow-same-origin allow-popups\"></iframe>"
                          "</body></html>")
        .arg(containerId());
}

QString PreviewPage::containerId()
{
    return QStringLiteral("signature-container");
}
