#include "preview/ControlWebview.h"

#include "preview/LoadingState.h"
#include "preview/PreviewPage.h"
#include "preview/RoundedOutline.h"
#include "preview/WebView.h"

#include <QPainterPath>
#include <QRegion>
#include <QTimer>
#include <QVBoxLayout>

ControlWebview::ControlWebview(ControlWebviewModel *javascriptPublisher, QWidget *parent)
    : QWidget(parent), m_javascriptPublisher(javascriptPublisher), m_outline(new RoundedOutline(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void ControlWebview::paintEvent(QPaintEvent *)
{
    // Queued: it runs once this paint of the window has been flushed.
    if (!m_creationScheduled) {
        m_creationScheduled = true;
        QTimer::singleShot(0, this, &ControlWebview::createWebView);
    }
}

void ControlWebview::createWebView()
{
    m_webView = new WebView(PreviewPage::html(), m_javascriptPublisher, this);
    // Hidden until loaded: an unloaded web view paints a colour of its own.
    m_webView->hide();
    layout()->addWidget(m_webView);
    m_outline->raise();
    connect(LoadingState::of(m_webView->page()), &LoadingState::isLoadingChanged, this, [this](bool loading) {
        if (loading || m_webView->isVisible())
            return;
        m_webView->show();
        emit previewShown();
    });
}

void ControlWebview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_outline->setGeometry(rect());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), RoundedOutline::radius, RoundedOutline::radius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}
