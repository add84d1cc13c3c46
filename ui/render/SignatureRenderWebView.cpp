#include "ui/render/SignatureRenderWebView.h"

#include "preview/ControlWebviewModel.h"
#include "preview/PreviewModule.h"
#include "preview/PreviewModuleLoader.h"
#include "preview/PreviewSurface.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/SignatureActions.h"

#include <QDropEvent>
#include <QTimer>
#include <QVBoxLayout>

SignatureRenderWebView::SignatureRenderWebView(const WindowEnvironment &environment,
                                               ControlWebviewModel &javascriptModel, QWidget *parent)
    : QWidget(parent), m_javascriptModel(javascriptModel), m_engine(environment.engine),
      m_mailMonitor(environment.mailMonitor), m_status(*environment.engine.statusUiModel())
{
    setAccessibleName(QStringLiteral("Signature preview"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAcceptDrops(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

SignatureRenderWebView::~SignatureRenderWebView()
{
    // The page goes with this widget; the bridge outlives both.
    m_javascriptModel.attach(nullptr);
}

QString SignatureRenderWebView::refusedLinkText(const QUrl &url)
{
    return QStringLiteral("Links to \u201c%1:\u201d are not opened; only web, e-mail and phone links are.")
        .arg(url.scheme());
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
    const auto ready = [this] {
        // The page would open a dropped file itself: drops go past it to this widget.
        for (QWidget *inside : m_host->findChildren<QWidget *>())
            inside->setAcceptDrops(false);
        m_host->setAcceptDrops(false);
        m_javascriptModel.attach(m_surface);
        emit previewShown();
    };
    const auto refused = [this](const QUrl &url) { m_status.message().set(refusedLinkText(url)); };
    m_surface = module->createPreview(this, ready, refused);
    m_host = m_surface->widget();
    layout()->addWidget(m_host);
}

void SignatureRenderWebView::dragEnterEvent(QDragEnterEvent *event)
{
    // Taken whatever it is, so that a refusal can say why.
    event->acceptProposedAction();
}

void SignatureRenderWebView::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    if (const std::optional<SignatureActions::Template> templateHtml =
            SignatureActions::insertDropped(*event->mimeData(), m_engine, m_mailMonitor))
        emit fieldsAsked(*templateHtml);
}
