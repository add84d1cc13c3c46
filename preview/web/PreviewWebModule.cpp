#include "preview/web/PreviewWebModule.h"

#include "preview/web/ControlWebview.h"
#include "preview/web/WebViewBridge.h"

#include <QQuickWindow>

PreviewWebModule::PreviewWebModule(QObject *parent) : QObject(parent)
{
    // Loaded before the application object, Qt WebEngine asks Qt Quick for
    // OpenGL itself; loaded after it, as here, it leaves that to the
    // program. No Qt Quick window exists before the first web view.
    if (QQuickWindow::graphicsApi() != QSGRendererInterface::OpenGLRhi)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGLRhi);
}

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
