#pragma once

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebEngineView>

#include <optional>

// The web view's end of the script bridge (the program's end is
// ControlWebviewModel). It knows the web view without owning it, turns HTML
// into one call of the page's `update` function, and keeps the most recent
// script, which a freshly loaded page gets once it can take it.
class WebViewBridge : public QObject
{
    Q_OBJECT
public:
    explicit WebViewBridge(QObject *parent = nullptr);

    void update(const QString &html);
    void runJavascript(const QString &script);

    QWebEngineView *webView() const { return m_webView; }
    // The attach step: while the view's page loads, scripts wait until the
    // page has its `update` function; then the most recent one runs, once.
    void setWebView(QWebEngineView *webView);

    // The most recent script, whether it ran at once or waited.
    const std::optional<QString> &lastJavascriptToRun() const { return m_lastJavascriptToRun; }
    bool isWaitingForPage() const { return static_cast<bool>(m_loadFinishedObservation); }

private:
    static bool isLoading(QWebEngineView *webView);
    static void evaluate(QWebEngineView *webView, const QString &script);
    void probe(int wait, QDeadlineTimer deadline);
    void probed(int wait, QDeadlineTimer deadline, bool ready);

    QMetaObject::Connection m_loadFinishedObservation;
    // Counts the waits, so that an answer about the page of an earlier wait is ignored.
    int m_waits = 0;
    QPointer<QWebEngineView> m_webView;
    std::optional<QString> m_lastJavascriptToRun;
};
