#include "preview/web/PreviewWebModule.h"

#include "preview/web/ControlWebview.h"
#include "preview/web/WebViewBridge.h"

PreviewWebModule::PreviewWebModule(QObject *parent) : QObject(parent) {}

QWidget *PreviewWebModule::createPreview(QWidget *parent, std::function<void()> shown)
{
    auto *host = new ControlWebview(parent);
    if (shown)
        connect(host, &ControlWebview::previewShown, host, std::move(shown));
    return host;
}

void PreviewWebModule::runJavascript(QWidget *preview, const QString &script)
{
    if (auto *host = qobject_cast<ControlWebview *>(preview))
        host->bridge()->runJavascript(script);
}
