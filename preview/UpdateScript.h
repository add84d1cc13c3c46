#pragma once

#include <QString>

// Turns signature HTML into the one script that shows it: run in a script
// world of its own, it makes the HTML the whole document of the page's
// sandboxed frame. The HTML travels as a JSON string, which JavaScript reads
// back exactly, whatever characters it holds.
class UpdateScript
{
public:
    static QString build(const QString &html);
};
