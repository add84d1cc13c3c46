#include "preview/ControlWebviewModel.h"

#include "preview/GuardedScript.h"
#include "preview/LoadingState.h"
#include "preview/UpdateScript.h"
#include "store/Diagnostics.h"

#include <QWebEngineView>

ControlWebviewModel::ControlWebviewModel(QObject *parent)
    : QObject(parent)
{
    Diagnostics::print(QStringLiteral("INIT WEBVIEWMODEL"));
}

void ControlWebviewModel::update(const QString &html)
{
    runJavascript(UpdateScript::build(html));
}

void ControlWebviewModel::runJavascript(const QString &script)
{
    if (!m_webView || isLoading(m_webView)) {
        m_lastJavascriptToRun = script;
        return;
    }
    evaluate(m_webView, script);
}

void ControlWebviewModel::setWebView(QWebEngineView *webView)
{
    m_webView = webView;
    if (!m_webView || !isLoading(m_webView))
        return;
    disconnect(m_isLoadingObservation);
    // The model is the connection's context, so the observation ends with it.
    m_isLoadingObservation = connect(LoadingState::of(m_webView->page()), &LoadingState::isLoadingChanged, this,
                                     &ControlWebviewModel::loadingChanged);
}

void ControlWebviewModel::loadingChanged()
{
    if (!m_lastJavascriptToRun)
        return;
    if (m_webView)
        evaluate(m_webView, *m_lastJavascriptToRun);
    disconnect(m_isLoadingObservation);
    m_isLoadingObservation = {};
}

bool ControlWebviewModel::isLoading(QWebEngineView *webView)
{
    return LoadingState::of(webView->page())->isLoading();
}

void ControlWebviewModel::evaluate(QWebEngineView *webView, const QString &script)
{
    webView->page()->runJavaScript(GuardedScript::wrapped(script), [](const QVariant &failure) {
        if (failure.typeId() == QMetaType::QString)
            Diagnostics::print(QStringLiteral("JavaScript Error: ") + failure.toString());
    });
}
