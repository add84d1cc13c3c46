#pragma once

#include "preview/PreviewPage.h"

#include <QByteArray>
#include <QMap>
#include <QString>

class QWidget;

// A signature's own images, by content id, each as the data: address the
// page shows it from where the signature names it by "cid:".
using PreviewImages = QMap<QString, QByteArray>;

// The page as the script bridge talks to it: the framed preview that the
// preview module makes. Plain C++ and Qt's own types only, as everything that
// crosses into the module.
class PreviewSurface
{
public:
    virtual ~PreviewSurface() = default;

    // The widget that shows it; the surface goes with it.
    virtual QWidget *widget() = 0;
    // Shows html as the signature's whole document, with this appearance and
    // these images of its own (and no others).
    virtual void showSignature(const QString &html, PreviewPage::Appearance appearance,
                               const PreviewImages &images) = 0;
    // Shows the signature shown, and the next ones, with this appearance.
    virtual void setAppearance(PreviewPage::Appearance appearance) = 0;
};
