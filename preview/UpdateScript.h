#pragma once

#include <QString>

// Turns signature HTML into the text of one call of the preview page's
// `update` function, as a double-quoted script string.
class UpdateScript
{
public:
    static QString build(const QString &html);
};
