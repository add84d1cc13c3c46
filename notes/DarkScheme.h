#pragma once

#include <QString>

// Which dark rendering a signature gets. One that declares a dark colour
// scheme (a color-scheme or supported-color-schemes meta element, or a
// color-scheme declaration in its styles, naming "dark") is shown by Mail in
// dark mode with its own `@media (prefers-color-scheme: dark)` rules; one that
// does not is shown by many recipients' mail programs with its colours
// inverted. Reads the HTML with libxml2's HTML parser; never changes anything.
namespace DarkScheme {
bool isDeclared(const QString &html);
} // namespace DarkScheme
