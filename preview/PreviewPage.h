#pragma once

#include <QString>

// The one fixed page the preview ever loads. Signatures are never loaded as
// pages of their own: they reach the page's container through its `update`
// function, so showing another signature never reloads anything.
class PreviewPage
{
public:
    static QString html();
    static QString containerId();
};
