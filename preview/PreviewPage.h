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
// How the page shows a signature: as in Mail in light mode; as in Mail in
// dark mode, with the signature's own `prefers-color-scheme: dark` rules
// (DarkScheme); or inverted, images as they are, as many recipients' mail
// programs show a signature without dark colours. In each, text the signature
// does not style is in Mail's message font.
enum class Appearance
{
    Light,
    Dark,
    Inverted
};
// The page's call that shows from now on what it shows with this appearance.
QString appearanceCall(Appearance appearance);
// The call that makes the next `update` show its signature with this
// appearance, leaving what is shown until then as it is.
QString nextAppearanceCall(Appearance appearance);
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
