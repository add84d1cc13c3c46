#pragma once

#include "ui/PreviewUpdateWatch.h"

#include <QWidget>

class ControlWebview;
class ControlWebviewModel;
class SignatureRenderUIModel;

// The framed web view of the preview pane, fed with every real change of the
// previewed content.
class SignatureRenderWebView : public QWidget
{
    Q_OBJECT
public:
    SignatureRenderWebView(SignatureRenderUIModel &rendererModel, ControlWebviewModel &javascriptModel,
                           QWidget *parent = nullptr);

    ControlWebview *host() const { return m_host; }

private:
    ControlWebview *m_host;
    PreviewUpdateWatch m_watch;
};
