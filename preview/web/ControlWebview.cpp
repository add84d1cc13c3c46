#include "preview/web/ControlWebview.h"

#include "preview/PreviewPage.h"
#include "preview/web/LoadingState.h"
#include "preview/web/RoundedOutline.h"
#include "preview/web/WebView.h"
#include "preview/web/WebViewBridge.h"

#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>

ControlWebview::ControlWebview(QWidget *parent)
    : QWidget(parent), m_bridge(new WebViewBridge(this)),
      m_webView(new WebView(PreviewPage::html(), m_bridge, this)), m_outline(new RoundedOutline(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Hidden until loaded: an unloaded web view paints a colour of its own.
    m_webView->hide();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_webView);
    connect(LoadingState::of(m_webView->page()), &LoadingState::isLoadingChanged, this,
            &ControlWebview::loadingChanged);
}

void ControlWebview::loadingChanged(bool loading)
{
    if (loading || !m_webView->isHidden())
        return;
    m_webView->show();
    emit previewShown();
}

void ControlWebview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_outline->setGeometry(rect());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), RoundedOutline::radius, RoundedOutline::radius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}
