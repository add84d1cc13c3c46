#pragma once

#include "ui/PreviewUpdateWatch.h"

#include <QPointer>
#include <QWidget>

class ControlWebviewModel;
class SignatureRenderUIModel;

// The framed web view of the preview pane, fed with every real change of the
// previewed content. The web view comes from the preview module, which is
// loaded once the window's first frame is on screen, so the list never waits
// for the web engine; until its page has loaded, the area shows the window's
// own background, and for good if the module cannot be loaded.
class SignatureRenderWebView : public QWidget
{
    Q_OBJECT
public:
    SignatureRenderWebView(SignatureRenderUIModel &rendererModel, ControlWebviewModel &javascriptModel,
                           QWidget *parent = nullptr);

    // The module's framed web view; none until the module is loaded.
    QWidget *host() const { return m_host; }

signals:
    // The page has loaded, can take scripts and is on screen.
    void previewShown();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void loadPreview();

    ControlWebviewModel &m_javascriptModel;
    QPointer<QWidget> m_host;
    bool m_loadScheduled = false;
    PreviewUpdateWatch m_watch;
};
