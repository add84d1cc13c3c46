#include "preview/web/PreviewWebModule.h"

#include "preview/web/ControlWebview.h"

PreviewWebModule::PreviewWebModule(QObject *parent) : QObject(parent) {}

PreviewSurface *PreviewWebModule::createPreview(QWidget *parent, std::function<void()> ready,
                                                std::function<void(const QUrl &)> refused)
{
    auto *host = new ControlWebview(parent);
    if (ready)
        connect(host, &ControlWebview::previewShown, host, std::move(ready));
    if (refused)
        connect(host, &ControlWebview::linkRefused, host, std::move(refused));
    return host;
}
