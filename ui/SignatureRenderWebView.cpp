#include "ui/SignatureRenderWebView.h"

#include "preview/ControlWebview.h"
#include "preview/ControlWebviewModel.h"

#include <QVBoxLayout>

SignatureRenderWebView::SignatureRenderWebView(SignatureRenderUIModel &rendererModel,
                                               ControlWebviewModel &javascriptModel, QWidget *parent)
    : QWidget(parent), m_host(new ControlWebview(&javascriptModel, this)),
      m_watch(rendererModel, [&javascriptModel](const QString &html) { javascriptModel.update(html); })
{
    m_host->setAccessibleName(QStringLiteral("Signature preview"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_host);
}
