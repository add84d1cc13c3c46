#pragma once

#include <QString>

// The one fixed page the preview ever loads: no script of its own, a policy
// that lets none run, and a frame that fills it. A signature is the whole
// document of a frame sandboxed without scripts, forms or top-level
// navigation. Showing another replaces all the nodes of that document, or,
// where the engine would keep something of them (a policy, a colour scheme),
// makes a new document; nothing of an earlier signature stays, and the page
// itself is never reloaded.
namespace PreviewPage {
// The two barriers against a signature's content. The program always has
// both; a test takes one away to show that the other holds alone.
struct Barriers
{
    bool sandbox = true;
    bool policy = true;
};
QString html(Barriers barriers = {});
// The id of the frame that shows the signature.
QString containerId();
// The page's `update(html)` function, defined once the page has loaded in
// the program's own script world, where nothing of the page can reach it.
// A frame that leaves its signature (the engine lets a click on an "about"
// link through without asking) is replaced by one with the latest, and the
// address is reported through the page's title, which nothing in a frame can
// set, as refusedTitlePrefix() followed by the address.
QString updateFunction(Barriers barriers = {});
QString refusedTitlePrefix();
} // namespace PreviewPage
