#pragma once

#include "preview/PreviewPage.h"
#include "preview/PreviewSurface.h"

#include <QWidget>

class QLabel;
class Coordinator;
class RoundedOutline;
class WebView;

// The preview as the preview pane shows it: the one web view, clipped to a
// rounded rectangle with a faint outline, taking all the space it is given.
// Until its page has loaded, the area shows the window's own background.
// While the pointer is over a link, the link's address shows at the bottom.
// The script bridge talks to it as the module's PreviewSurface.
class ControlWebview : public QWidget, public PreviewSurface
{
    Q_OBJECT
public:
    explicit ControlWebview(QWidget *parent = nullptr, PreviewPage::Barriers barriers = {});

    QWidget *widget() override { return this; }
    // Shows html as the signature's whole document; only once previewShown.
    void showSignature(const QString &html, PreviewPage::Appearance appearance = {},
                       const PreviewImages &images = {}) override;
    // Shows the signature shown, and the next ones, with this appearance.
    void setAppearance(PreviewPage::Appearance appearance) override;

signals:
    // The page has loaded, can show signatures and is on screen.
    void previewShown();
    void linkRefused(const QUrl &url);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void loaded(bool ok);
    void hovered(const QString &url);

    WebView *m_webView;
    Coordinator *m_page;
    RoundedOutline *m_outline;
    QLabel *m_linkAddress;
};
