#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebEngineView>

#include <optional>

class QWebEngineView;

// The bridge between the views that produce signature HTML and the preview's
// web view. It knows the web view without owning it, turns HTML into one call
// of the page's `update` function, and keeps the most recent script while the
// page cannot take it yet.
class ControlWebviewModel : public QObject
{
    Q_OBJECT
public:
    explicit ControlWebviewModel(QObject *parent = nullptr);

    void update(const QString &html);
    void runJavascript(const QString &script);

    QWebEngineView *webView() const { return m_webView; }
    // The attach step: a view that is loading gets a one-shot observer that
    // runs the waiting script once loading ends.
    void setWebView(QWebEngineView *webView);

    const std::optional<QString> &lastJavascriptToRun() const { return m_lastJavascriptToRun; }
    bool isObservingLoading() const { return static_cast<bool>(m_isLoadingObservation); }

private:
    static bool isLoading(QWebEngineView *webView);
    static void evaluate(QWebEngineView *webView, const QString &script);
    void loadingChanged();

    QMetaObject::Connection m_isLoadingObservation;
    QPointer<QWebEngineView> m_webView;
    std::optional<QString> m_lastJavascriptToRun;
};
