#include "preview/web/ControlWebview.h"

#include "preview/UpdateScript.h"
#include "preview/web/Coordinator.h"
#include "preview/web/RoundedOutline.h"
#include "preview/web/WebView.h"

#include <QLabel>
#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>
#include <QWebEngineScript>

ControlWebview::ControlWebview(QWidget *parent, PreviewPage::Barriers barriers)
    : QWidget(parent), m_webView(new WebView(this)), m_page(new Coordinator(m_webView, barriers)),
      m_outline(new RoundedOutline(this)), m_linkAddress(new QLabel(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Hidden until loaded: an unloaded web view paints a colour of its own.
    m_webView->setPage(m_page);
    m_webView->hide();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_webView);
    m_linkAddress->setTextFormat(Qt::PlainText);
    m_linkAddress->setAutoFillBackground(true);
    m_linkAddress->setContentsMargins(6, 2, 6, 2);
    m_linkAddress->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_linkAddress->hide();
    connect(m_page, &Coordinator::loadFinished, this, &ControlWebview::loaded);
    connect(m_page, &Coordinator::linkHovered, this, &ControlWebview::hovered);
    connect(m_page, &Coordinator::linkRefused, this, &ControlWebview::linkRefused);
}

void ControlWebview::showSignature(const QString &html, PreviewPage::Appearance appearance,
                                   const PreviewImages &images)
{
    // Run in a world of its own: nothing the page's content defines is looked up. One call, so the
    // shown signature never takes the next one's appearance.
    m_page->runJavaScript(PreviewPage::nextAppearanceCall(appearance) + u';' +
                              UpdateScript::build(html, images),
                          QWebEngineScript::ApplicationWorld);
    // The link under a resting pointer may be gone, and the engine may not say so until it moves.
    hovered(QString());
}

void ControlWebview::setAppearance(PreviewPage::Appearance appearance)
{
    m_page->runJavaScript(PreviewPage::appearanceCall(appearance), QWebEngineScript::ApplicationWorld);
}

void ControlWebview::loaded(bool ok)
{
    // The page is loaded once; it is never navigated away from.
    if (!ok || !m_webView->isHidden())
        return;
    m_webView->show();
    m_linkAddress->raise();
    emit previewShown();
}

void ControlWebview::hovered(const QString &url)
{
    m_linkAddress->setText(url);
    m_linkAddress->adjustSize();
    m_linkAddress->move(0, height() - m_linkAddress->height());
    m_linkAddress->setVisible(!url.isEmpty());
}

void ControlWebview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_outline->setGeometry(rect());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), RoundedOutline::radius, RoundedOutline::radius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}
