#pragma once

#include "preview/ControlWebviewModel.h"

#include <QPointer>
#include <QWidget>

class RoundedOutline;
class WebView;

// The preview as the preview pane shows it: the one web view, clipped to a
// rounded rectangle with a faint outline, taking all the space it is given.
// The web engine starts only after the window's first frame is on screen, so
// the list never waits for it; until the page has loaded, the area shows the
// window's own background.
class ControlWebview : public QWidget
{
    Q_OBJECT
public:
    explicit ControlWebview(ControlWebviewModel *javascriptPublisher, QWidget *parent = nullptr);

    // None until the first frame of the window has been painted.
    WebView *webView() const { return m_webView; }
    ControlWebviewModel *javascriptPublisher() const { return m_javascriptPublisher; }

signals:
    // The page has loaded and the web view is on screen.
    void previewShown();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createWebView();

    QPointer<ControlWebviewModel> m_javascriptPublisher;
    WebView *m_webView = nullptr;
    RoundedOutline *m_outline;
    bool m_creationScheduled = false;
};
