#pragma once

#include "preview/PreviewPage.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// What the program asks of the preview module: the web part of the preview,
// a plugin that alone links Qt WebEngine and is loaded once the window is on
// screen (PreviewModuleLoader). Plain C++ and Qt's own types only, so that no
// type of this program has its meta-object on both sides of the boundary.
class PreviewModule
{
public:
    virtual ~PreviewModule() = default;

    // The framed preview, made a child of parent; its page starts loading at
    // once. ready is called once, when the page has loaded, is on screen and
    // can show signatures. refused is called with the address of a link the
    // user clicked that is not opened because of its scheme.
    virtual QWidget *createPreview(QWidget *parent, std::function<void()> ready,
                                   std::function<void(const QUrl &)> refused) = 0;

    // Shows html in a preview made by createPreview once it is ready.
    virtual void showSignature(QWidget *preview, const QString &html, PreviewPage::Appearance appearance) = 0;
    // Shows what the preview shows with another appearance.
    virtual void setAppearance(QWidget *preview, PreviewPage::Appearance appearance) = 0;
};

#define PreviewModule_iid "com.vellix.VellixMail.PreviewModule/3"
Q_DECLARE_INTERFACE(PreviewModule, PreviewModule_iid)
