#include "preview/PreviewPage.h"

namespace {

// The frame's document inherits the policy, so script is refused twice.
// allow-same-origin lets the program read what a frame shows; with no script
// in the frame it gives the signature nothing. allow-popups lets a user's
// click on a target=_blank link reach the navigation policy.
const char sandbox[] = "allow-same-origin allow-popups";

// A frame is navigated once per signature, which is quick; but the engine
// throttles a frame navigated 200 times within ten seconds, as holding an
// arrow key down in the list may do, so every 50 signatures a new frame
// takes over once it has loaded.
const char updateSource[] = R"JS(
var frame = null;
var shows = 0;
function update(html) {
    if (frame && ++shows % 50 !== 0) {
        frame.srcdoc = html;
        return;
    }
    // Its document set before it is placed, so it never shows an empty one.
    frame = document.createElement('iframe');
    frame.setAttribute('sandbox', '%2');
    frame.srcdoc = html;
    frame.addEventListener('load', arrived);
    document.body.appendChild(frame);
}
function arrived(event) {
    var loaded = event.target;
    var shown = loaded.contentDocument;
    if (shown && shown.URL === 'about:srcdoc') {
        for (var older = loaded.previousElementSibling; older; older = loaded.previousElementSibling)
            older.remove();
        loaded.id = '%1';
        return;
    }
    document.title = '%3' + (shown ? shown.URL : 'about:');
    document.title = '';
    loaded.srcdoc = loaded.srcdoc;
}
)JS";

} // namespace

QString PreviewPage::html()
{
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
               "<meta http-equiv=\"Content-Security-Policy\""
               " content=\"script-src 'none'; object-src 'none'; form-action 'none'\">"
               "<style>html,body{margin:0;height:100%;overflow:hidden}"
               "iframe{position:absolute;top:0;left:0;border:0;width:100%;height:100%}</style></head>"
               "<body><iframe id=\"%1\" sandbox=\"%2\"></iframe></body></html>")
        .arg(containerId(), QLatin1String(sandbox));
}

QString PreviewPage::containerId()
{
    return QStringLiteral("signature-container");
}

QString PreviewPage::updateFunction()
{
    return QString::fromUtf8(updateSource).arg(containerId(), QLatin1String(sandbox), refusedTitlePrefix());
}

QString PreviewPage::refusedTitlePrefix()
{
    return QStringLiteral("refused ");
}
