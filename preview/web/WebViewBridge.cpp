#include "preview/web/WebViewBridge.h"

#include "preview/GuardedScript.h"
#include "preview/UpdateScript.h"
#include "preview/web/LoadingState.h"
#include "store/Diagnostics.h"

#include <QTimer>
#include <QWebEngineView>

namespace {

// How soon a page that is not ready yet is asked again, and for how long
// after a load has finished.
constexpr int probeIntervalMs = 20;
constexpr int probeLimitMs = 5000;

} // namespace

WebViewBridge::WebViewBridge(QObject *parent) : QObject(parent) {}

void WebViewBridge::update(const QString &html)
{
    runJavascript(UpdateScript::build(html));
}

void WebViewBridge::runJavascript(const QString &script)
{
    m_lastJavascriptToRun = script;
    if (m_webView && !isWaitingForPage())
        evaluate(m_webView, script);
}

void WebViewBridge::setWebView(QWebEngineView *webView)
{
    disconnect(m_loadFinishedObservation);
    m_loadFinishedObservation = {};
    m_webView = webView;
    if (!m_webView || !isLoading(m_webView))
        return;
    const int wait = ++m_waits;
    // The model is the connection's context, so the observation ends with it.
    m_loadFinishedObservation = connect(m_webView->page(), &QWebEnginePage::loadFinished, this,
                                        [this, wait] { probe(wait, QDeadlineTimer(probeLimitMs)); });
}

void WebViewBridge::probe(int wait, QDeadlineTimer deadline)
{
    if (wait != m_waits || !isWaitingForPage() || !m_webView)
        return;
    // Ready: the page has `update`, and is parsed far enough for the container it fills.
    m_webView->page()->runJavaScript(
        QStringLiteral("document.readyState !== 'loading' && typeof update === 'function'"),
        [self = QPointer(this), wait, deadline](const QVariant &ready) {
            if (self)
                self->probed(wait, deadline, ready.toBool());
        });
}

void WebViewBridge::probed(int wait, QDeadlineTimer deadline, bool ready)
{
    if (wait != m_waits || !isWaitingForPage())
        return;
    // The load that finished may have been that of the page the new one
    // replaces, and then the new page need not report its own end: a page
    // that is not ready is asked again for a while. One that stays unready
    // (a failed load) is left alone until the view's next load finishes.
    if (!ready) {
        if (!deadline.hasExpired())
            QTimer::singleShot(probeIntervalMs, this, [this, wait, deadline] { probe(wait, deadline); });
        return;
    }
    disconnect(m_loadFinishedObservation);
    m_loadFinishedObservation = {};
    if (m_webView && m_lastJavascriptToRun)
        evaluate(m_webView, *m_lastJavascriptToRun);
}

bool WebViewBridge::isLoading(QWebEngineView *webView)
{
    return LoadingState::of(webView->page())->isLoading();
}

void WebViewBridge::evaluate(QWebEngineView *webView, const QString &script)
{
    webView->page()->runJavaScript(GuardedScript::wrapped(script), [](const QVariant &failure) {
        if (failure.typeId() == QMetaType::QString)
            Diagnostics::print(QStringLiteral("JavaScript Error: ") + failure.toString());
    });
}
