#pragma once

#include <QObject>
#include <QUrl>

#include <functional>

class PreviewSurface;
class QWidget;

// What the program asks of the preview module: the web part of the preview,
// a plugin that alone links Qt WebEngine and is loaded once the window is on
// screen (PreviewModuleLoader). Plain C++ and Qt's own types only, so that no
// type of this program has its meta-object on both sides of the boundary.
class PreviewModule
{
public:
    virtual ~PreviewModule() = default;

    // The framed preview, its widget made a child of parent; its page starts
    // loading at once. ready is called once, when the page has loaded, is on
    // screen and can show signatures. refused is called with the address of a
    // link the user clicked that is not opened because of its scheme.
    virtual PreviewSurface *createPreview(QWidget *parent, std::function<void()> ready,
                                          std::function<void(const QUrl &)> refused) = 0;
};

#define PreviewModule_iid "com.vellix.VellixMail.PreviewModule/4"
Q_DECLARE_INTERFACE(PreviewModule, PreviewModule_iid)
