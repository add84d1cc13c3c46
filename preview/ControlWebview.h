#pragma once

#include "preview/ControlWebviewModel.h"

#include <QPointer>
#include <QWidget>

class RoundedOutline;
class WebView;

// The preview as the preview pane shows it: the one web view, clipped to a
// rounded rectangle with a faint outline, taking all the space it is given.
class ControlWebview : public QWidget
{
    Q_OBJECT
public:
    explicit ControlWebview(ControlWebviewModel *javascriptPublisher, QWidget *parent = nullptr);

    WebView *webView() const { return m_webView; }
    ControlWebviewModel *javascriptPublisher() const { return m_javascriptPublisher; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<ControlWebviewModel> m_javascriptPublisher;
    WebView *m_webView;
    RoundedOutline *m_outline;
};
