#pragma once

#include "ui/SignatureActions.h"
#include "ui/WindowEnvironment.h"

#include <QPointer>
#include <QWidget>

class ControlWebviewModel;
class MailMonitor;
class PreviewSurface;
class SignaturesEngine;
class SignatureStatusUIModel;

// The framed web view of the preview pane; once its page is ready, the script
// bridge hands it what to show. The web view comes from the preview module,
// which is loaded once the window's first frame is on screen, so the list
// never waits for the web engine; until its page has loaded, the area shows
// the window's own background, and for good if the module cannot be loaded. A
// click on a link that is not opened is told in the top bar.
class SignatureRenderWebView : public QWidget
{
    Q_OBJECT
public:
    SignatureRenderWebView(const WindowEnvironment &environment, ControlWebviewModel &javascriptModel,
                           QWidget *parent = nullptr);
    ~SignatureRenderWebView() override;

    // The sentence for a clicked link that is not opened.
    static QString refusedLinkText(const QUrl &url);

signals:
    // The page has loaded, can take signatures and is on screen.
    void previewShown();
    // A dropped file held a template: its fields want values before anything is written.
    void fieldsAsked(const SignatureActions::Template &templateHtml);

protected:
    void paintEvent(QPaintEvent *event) override;
    // A drop anywhere on the preview is the program's, never the page's: one
    // HTML file is inserted into the signature shown, anything else refused.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void loadPreview();

    ControlWebviewModel &m_javascriptModel;
    SignaturesEngine &m_engine;
    MailMonitor &m_mailMonitor;
    SignatureStatusUIModel &m_status;
    PreviewSurface *m_surface = nullptr;
    QPointer<QWidget> m_host;
    bool m_loadScheduled = false;
};
