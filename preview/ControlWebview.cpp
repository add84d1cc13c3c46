#include "preview/ControlWebview.h"

#include "preview/PreviewPage.h"
#include "preview/RoundedOutline.h"
#include "preview/WebView.h"

#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>

ControlWebview::ControlWebview(ControlWebviewModel *javascriptPublisher, QWidget *parent)
    : QWidget(parent)
    , m_javascriptPublisher(javascriptPublisher)
    , m_webView(new WebView(PreviewPage::html(), javascriptPublisher, this))
    , m_outline(new RoundedOutline(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_webView);
    m_outline->raise();
}

void ControlWebview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_outline->setGeometry(rect());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), RoundedOutline::radius, RoundedOutline::radius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}
