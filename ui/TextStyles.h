#pragma once

#include <QFont>
#include <QPalette>

// The few text styles the window uses besides the default one, derived from
// the default font so they follow the user's font settings.
namespace TextStyles {
// Small explanatory text (about three quarters of the default size).
QFont caption(const QFont &base);
// Slightly smaller than the default, for secondary links.
QFont callout(const QFont &base);
// The palette with its window text made partly transparent.
QPalette withTextOpacity(QPalette palette, qreal opacity);
} // namespace TextStyles
