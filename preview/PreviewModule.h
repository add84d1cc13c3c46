#pragma once

#include <QObject>
#include <QString>

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
    // once. shown is called when the page has loaded, can take scripts and is
    // on screen.
    virtual QWidget *createPreview(QWidget *parent, std::function<void()> shown) = 0;

    // Runs script in the page of a preview made by createPreview as soon as
    // the page can take it; of the scripts that have to wait, the most recent
    // one runs.
    virtual void runJavascript(QWidget *preview, const QString &script) = 0;
};

#define PreviewModule_iid "com.vellix.VellixMail.PreviewModule/1"
Q_DECLARE_INTERFACE(PreviewModule, PreviewModule_iid)
