#include "ui/SignatureRenderWebView.h"

#include "preview/ControlWebviewModel.h"
#include "preview/PreviewModule.h"
#include "preview/PreviewModuleLoader.h"

#include <QTimer>
#include <QVBoxLayout>

SignatureRenderWebView::SignatureRenderWebView(SignatureRenderUIModel &rendererModel,
                                               ControlWebviewModel &javascriptModel, QWidget *parent)
    : QWidget(parent), m_javascriptModel(javascriptModel),
      m_watch(rendererModel, [&javascriptModel](const QString &html) { javascriptModel.update(html); })
{
    setAccessibleName(QStringLiteral("Signature preview"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void SignatureRenderWebView::paintEvent(QPaintEvent *)
{
    // Queued: it runs once this paint of the window has been flushed.
    if (!m_loadScheduled) {
        m_loadScheduled = true;
        QTimer::singleShot(0, this, &SignatureRenderWebView::loadPreview);
    }
}

void SignatureRenderWebView::loadPreview()
{
    PreviewModule *module = PreviewModuleLoader::module();
    if (!module)
        return; // the loader has said why
    m_host = module->createPreview(this, [this] { emit previewShown(); });
    layout()->addWidget(m_host);
    m_javascriptModel.attach([module, host = m_host](const QString &script) {
        if (host)
            module->runJavascript(host, script);
    });
}
