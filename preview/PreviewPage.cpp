#include "preview/PreviewPage.h"

namespace {

// The frame's document inherits the policy, so script is refused twice.
// allow-same-origin lets the program read what a frame shows; with no script
// in the frame it gives the signature nothing. allow-popups lets a user's
// click on a target=_blank link reach the navigation policy.
const char sandbox[] = "allow-same-origin allow-popups";

// A new signature replaces the nodes of the shown frame's document, which is
// quick, where that leaves nothing behind; otherwise a new frame takes the
// place of the shown one, and is written into once it has loaded. No frame is
// navigated twice by the program, and none is written into while one loads,
// so nothing older can land over something newer.
const char updateSource[] = R"JS(
var sandbox = %2;
var shown = null;
var loading = null;
var latest = '';
var latestImages = {};
// Meta elements the engine does not act on; any other one (a policy, a
// referrer rule, a refresh, a colour scheme) can leave a mark on a document.
var inertMetaNames = ['', 'generator', 'author', 'description', 'keywords', 'progid', 'originator'];
var appearance = 'light';
// The program's styles, no more specific than an element's name, so that a
// signature's own win; only the dark colour scheme, which Mail's dark mode
// sets, is forced. First Mail's message font (its size is the engine's
// default), then what an appearance adds: in inverted, images are inverted
// again, so they show as they are.
var sheets = {
    light: ':where(html){font-family:Helvetica,"Liberation Sans",Arimo,sans-serif}',
    dark: ':root{color-scheme:dark!important}:where(html){background:#1e1e1e;color:rgba(255,255,255,.85)}',
    inverted: 'img,video{filter:invert(1) hue-rotate(180deg)}'
};

function update(html, images) {
    latest = html;
    latestImages = images || {};
    var parsed = new DOMParser().parseFromString(html, 'text/html');
    // Only a signature that names a part is rewritten; any other is shown as given.
    var placed = /cid:/i.test(html) && showImages(parsed, latestImages);
    var keepable = leavesWithItsNodes(parsed);
    // Both the shown document and this one hold nothing that outlives their nodes.
    var doc = shown && shown.keepable && keepable && shown.contentDocument;
    if (doc && doc.URL === 'about:srcdoc') {
        while (doc.lastChild)
            doc.removeChild(doc.lastChild);
        while (parsed.firstChild)
            doc.appendChild(doc.adoptNode(parsed.firstChild));
        doc.defaultView.scrollTo(0, 0);
        dress(doc);
        return;
    }
    load(placed ? serialized(parsed) : html, keepable);
}

// A signature's images are parts of its own file, named by "cid:": an address
// that names one is given the part as a data: address, one that names none
// stays as it is and shows as a broken image, and Mail's older <object> form
// becomes the <img> it shows as. Whether anything changed.
function showImages(doc, images) {
    var changed = false;
    var found = doc.querySelectorAll('[src],[srcset],[background],[poster],[style],image[href],object[data]');
    for (var i = 0; i < found.length; ++i) {
        var element = found[i];
        ['src', 'background', 'poster', 'href'].forEach(function (name) {
            var part = element.hasAttribute(name) ? partOf(element.getAttribute(name), images) : null;
            if (part) {
                element.setAttribute(name, part);
                changed = true;
            }
        });
        changed = rewrite(element, 'srcset', function (set) {
            return set.replace(/(^|,)(\s*)(cid:[^\s,]+)/gi, function (all, comma, space, address) {
                var part = partOf(address, images);
                return part ? comma + space + part : all;
            });
        }) || changed;
        changed = rewrite(element, 'style', function (css) { return withImages(css, images); }) || changed;
        if (element.localName === 'object' && partOf(element.getAttribute('data'), images) !== null) {
            var image = doc.createElement('img');
            ['width', 'height', 'style', 'class', 'id', 'alt', 'title', 'align', 'border'].forEach(function (name) {
                if (element.hasAttribute(name))
                    image.setAttribute(name, element.getAttribute(name));
            });
            image.setAttribute('src', partOf(element.getAttribute('data'), images) || element.getAttribute('data'));
            element.replaceWith(image);
            changed = true;
        }
    }
    var sheets = doc.getElementsByTagName('style');
    for (var j = 0; j < sheets.length; ++j) {
        var css = withImages(sheets[j].textContent, images);
        if (css !== sheets[j].textContent) {
            sheets[j].textContent = css;
            changed = true;
        }
    }
    return changed;
}

// The part a cid: address names: its data: address, undefined when the
// signature has no such part, null for any other address.
function partOf(address, images) {
    var text = (address || '').trim();
    if (text.slice(0, 4).toLowerCase() !== 'cid:')
        return null;
    var id = text.slice(4);
    try {
        id = decodeURIComponent(id);
    } catch (e) {
    }
    return Object.prototype.hasOwnProperty.call(images, id) ? images[id] : undefined;
}

function rewrite(element, name, change) {
    if (!element.hasAttribute(name))
        return false;
    var before = element.getAttribute(name), after = change(before);
    if (after === before)
        return false;
    element.setAttribute(name, after);
    return true;
}

function withImages(css, images) {
    return css.replace(/url\(\s*(['"]?)\s*(cid:[^'")]*?)\s*\1\s*\)/gi, function (all, quote, address) {
        var part = partOf(address, images);
        return part ? 'url("' + part + '")' : all;
    });
}

// The parsed signature as the text a frame's document is made from.
function serialized(doc) {
    var type = doc.doctype;
    var head = !type ? '' : '<!DOCTYPE ' + type.name +
        (type.publicId ? ' PUBLIC "' + type.publicId + '"' : '') +
        (type.systemId ? (type.publicId ? '' : ' SYSTEM') + ' "' + type.systemId + '"' : '') + '>';
    return head + doc.documentElement.outerHTML;
}

// The next signature is shown with this appearance; the shown one stays as it is.
function nextAppearance(name) {
    appearance = name;
    document.body.className = name;
}

function setAppearance(name) {
    nextAppearance(name);
    var doc = shown && shown.contentDocument;
    if (doc && doc.URL === 'about:srcdoc')
        dress(doc);
}

function dress(doc) {
    if (!doc.previewSheet) {
        doc.previewSheet = new doc.defaultView.CSSStyleSheet();
        doc.adoptedStyleSheets = [doc.previewSheet];
    }
    // Rebuilt only when it changes: every signature shown comes here.
    var text = sheets.light + (appearance === 'light' ? '' : sheets[appearance]);
    if (doc.previewSheetText !== text) {
        doc.previewSheet.replaceSync(text);
        doc.previewSheetText = text;
    }
    turnSchemes(doc, appearance === 'dark');
}

// Mail in dark mode applies a signature's prefers-color-scheme: dark rules and
// not its light ones; this engine prefers light. So in dark, every such
// condition in the shown copy names the other scheme, and back again in light.
function turnSchemes(doc, dark) {
    for (var i = 0; i < doc.styleSheets.length; ++i) {
        var sheet = doc.styleSheets[i];
        if (!sheet.ownerNode || !!sheet.ownerNode.schemesTurned === dark)
            continue;
        sheet.ownerNode.schemesTurned = dark;
        turnMedia(sheet.media);
        turnRulesOf(sheet);
    }
    var sources = doc.querySelectorAll('source[media]');
    for (var j = 0; j < sources.length; ++j) {
        if (!!sources[j].schemesTurned !== dark) {
            sources[j].schemesTurned = dark;
            sources[j].media = turned(sources[j].media);
        }
    }
}

function turnRulesOf(group) {
    var rules;
    try {
        rules = group.cssRules;
    } catch (e) {
        return; // a style sheet of another origin, which cannot be read
    }
    for (var i = 0; i < rules.length; ++i) {
        if (rules[i].media)
            turnMedia(rules[i].media);
        if (rules[i].styleSheet)
            turnRulesOf(rules[i].styleSheet);
        else if (rules[i].cssRules)
            turnRulesOf(rules[i]);
    }
}

function turnMedia(list) {
    var next = turned(list.mediaText);
    if (next !== list.mediaText)
        list.mediaText = next;
}

function turned(media) {
    return media.replace(/(prefers-color-scheme\s*:\s*)(dark|light)/gi, function (all, name, scheme) {
        return name + (scheme.toLowerCase() === 'dark' ? 'light' : 'dark');
    });
}

// Whether the parsed signature, put in place of a document's nodes, gives
// what a new document of it would. The parse is the same: the engine builds
// a frame's tree by the doctype, as here, though it renders it as standard.
function leavesWithItsNodes(parsed) {
    var metas = parsed.getElementsByTagName('meta');
    for (var i = 0; i < metas.length; ++i) {
        var equiv = (metas[i].getAttribute('http-equiv') || '').toLowerCase();
        var name = (metas[i].getAttribute('name') || '').toLowerCase();
        if ((equiv && equiv !== 'content-type') || inertMetaNames.indexOf(name) < 0)
            return false;
    }
    return true;
}

function load(html, keepable) {
    // Nothing of the last signature shows through while this one loads, and a
    // frame removed takes its navigation with it.
    document.body.replaceChildren();
    shown = null;
    // Its document set before it is placed, so its first load is the signature.
    loading = document.createElement('iframe');
    if (sandbox !== null)
        loading.setAttribute('sandbox', sandbox);
    loading.srcdoc = html;
    loading.keepable = keepable;
    loading.addEventListener('load', arrived);
    document.body.appendChild(loading);
    watch(loading);
}

// Dresses a loading frame's document as soon as there is one, before it is
// drawn, and once more when parsed: its load waits for every image.
function watch(frame) {
    if (frame !== loading)
        return;
    var doc = frame.contentDocument;
    if (doc && doc.URL === 'about:srcdoc') {
        dress(doc);
        if (doc.readyState !== 'loading')
            return;
    }
    requestAnimationFrame(function () { watch(frame); });
}

function arrived(event) {
    var frame = event.target;
    var doc = frame.contentDocument;
    if (frame === loading && doc && doc.URL === 'about:srcdoc') {
        loading = null;
        frame.id = '%1';
        shown = frame;
        dress(doc); // for style sheets that came later
        return;
    }
    // A user's click on an "about" link, which the engine lets through: the
    // frame has left its signature, or loaded the first it was given again.
    // Say where, and show the latest in a new frame: this one may hold what it
    // was first given.
    document.title = '%3' + (doc ? doc.URL : 'about:');
    document.title = '';
    shown = null;
    update(latest, latestImages);
}
)JS";

} // namespace

QString PreviewPage::html(Barriers barriers)
{
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\">%1"
               "<style>html,body{margin:0;height:100%;overflow:hidden}"
               "iframe{position:absolute;top:0;left:0;border:0;width:100%;height:100%}"
               // Under a signature without a background of its own: Mail's dark one,
               // the second time as the inverse of what inverting makes it.
               "body.dark iframe{background:#1e1e1e}"
               "body.inverted iframe{background:#e1e1e1;filter:invert(1) hue-rotate(180deg)}</style></head>"
               "<body><iframe id=\"%2\"%3></iframe></body></html>")
        .arg(barriers.policy
                 ? QStringLiteral("<meta http-equiv=\"Content-Security-Policy\" content=\"script-src "
                                  "'none'; object-src 'none'; form-action 'none'\">")
                 : QString(),
             containerId(),
             barriers.sandbox ? QStringLiteral(" sandbox=\"%1\"").arg(QLatin1String(sandbox)) : QString());
}

namespace {
QLatin1String appearanceName(PreviewPage::Appearance appearance)
{
    switch (appearance) {
    case PreviewPage::Appearance::Light:
        break;
    case PreviewPage::Appearance::Dark:
        return QLatin1String("dark");
    case PreviewPage::Appearance::Inverted:
        return QLatin1String("inverted");
    }
    return QLatin1String("light");
}
} // namespace

QString PreviewPage::appearanceCall(Appearance appearance)
{
    return QStringLiteral("setAppearance('%1')").arg(appearanceName(appearance));
}

QString PreviewPage::nextAppearanceCall(Appearance appearance)
{
    return QStringLiteral("nextAppearance('%1')").arg(appearanceName(appearance));
}

QString PreviewPage::containerId()
{
    return QStringLiteral("signature-container");
}

QString PreviewPage::updateFunction(Barriers barriers)
{
    return QString::fromUtf8(updateSource)
        .arg(containerId(),
             barriers.sandbox ? u'\'' + QLatin1String(sandbox) + u'\'' : QStringLiteral("null"),
             refusedTitlePrefix());
}

QString PreviewPage::refusedTitlePrefix()
{
    return QStringLiteral("refused ");
}
