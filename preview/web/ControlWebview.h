#pragma once

#include <QWidget>

class RoundedOutline;
class WebView;
class WebViewBridge;

// The preview as the preview pane shows it: the one web view, clipped to a
// rounded rectangle with a faint outline, taking all the space it is given,
// with the script bridge that feeds its page. The page starts loading at
// once; until it has loaded, the area shows the window's own background.
class ControlWebview : public QWidget
{
    Q_OBJECT
public:
    explicit ControlWebview(QWidget *parent = nullptr);

    WebView *webView() const { return m_webView; }
    WebViewBridge *bridge() const { return m_bridge; }

signals:
    // The page has loaded and the web view is on screen.
    void previewShown();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void loadingChanged(bool loading);

    WebViewBridge *m_bridge;
    WebView *m_webView;
    RoundedOutline *m_outline;
};
