#pragma once

#include "preview/web/WebViewBridge.h"

#include <QPointer>
#include <QWebEngineView>

class Coordinator;

// The preview's web view: created once, loads its page once, and hands itself
// to the script bridge after construction, so it arrives while still loading.
class WebView : public QWebEngineView
{
    Q_OBJECT
public:
    WebView(const QString &html, WebViewBridge *model, QWidget *parent = nullptr);
    ~WebView() override;

    Coordinator *coordinator() const { return m_coordinator; }
    QWebEngineView *devToolsView() const { return m_devTools; }
    // Opens the developer tools in a window of their own, inspecting the
    // element under the last context menu.
    void openDevTools();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void handToModel();

    Coordinator *m_coordinator;
    QPointer<WebViewBridge> m_model;
    QPointer<QWebEngineView> m_devTools;
};
