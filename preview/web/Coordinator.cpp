#include "preview/web/Coordinator.h"

#include "preview/PreviewPage.h"

#include <QDesktopServices>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineSettings>

namespace {

void restrict(QWebEngineSettings *settings)
{
    using S = QWebEngineSettings;
    // Kept on for the program's own update, which runs in a script world of
    // its own; the page's policy and the frame's sandbox let no page script run.
    settings->setAttribute(S::JavascriptEnabled, true);
    // Nothing a signature holds opens windows, reads or writes the clipboard,
    // stores data, takes focus or the screen, or runs a plug-in.
    settings->setAttribute(S::JavascriptCanOpenWindows, false);
    settings->setAttribute(S::JavascriptCanAccessClipboard, false);
    settings->setAttribute(S::JavascriptCanPaste, false);
    settings->setAttribute(S::AllowWindowActivationFromJavaScript, false);
    settings->setAttribute(S::LocalStorageEnabled, false);
    settings->setAttribute(S::PluginsEnabled, false);
    settings->setAttribute(S::FullScreenSupportEnabled, false);
    settings->setAttribute(S::ScreenCaptureEnabled, false);
    settings->setAttribute(S::FocusOnNavigationEnabled, false);
    // No PDF viewer and no WebGL: neither belongs in a signature, and both
    // are large surfaces of the engine.
    settings->setAttribute(S::PdfViewerEnabled, false);
    settings->setAttribute(S::WebGLEnabled, false);
    settings->setAttribute(S::Accelerated2dCanvasEnabled, false);
    // Sound and video wait for the user, as in a mail.
    settings->setAttribute(S::PlaybackRequiresUserGesture, true);
    // No files of the computer; remote images load, as they do in Mail.
    settings->setAttribute(S::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(S::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(S::AutoLoadImages, true);
    settings->setAttribute(S::AllowRunningInsecureContent, false);
    settings->setAttribute(S::AllowGeolocationOnInsecureOrigins, false);
    // Mail's message size, for text whose size the signature does not set (PreviewPage sets the font).
    settings->setFontSize(S::DefaultFontSize, 12);
    // Something dropped on the preview does not replace the page.
    settings->setAttribute(S::NavigateOnDropEnabled, false);
    // No requests beyond the ones the signature's content makes.
    settings->setAttribute(S::HyperlinkAuditingEnabled, false);
    settings->setAttribute(S::DnsPrefetchEnabled, false);
    settings->setAttribute(S::ErrorPageEnabled, false);
    settings->setAttribute(S::WebRTCPublicInterfacesOnly, true);
}

} // namespace

Coordinator::Coordinator(QObject *parent, PreviewPage::Barriers barriers) : QWebEnginePage(parent)
{
    restrict(settings());
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest &request) {
        // Only a user's click on a target=_blank link can ask: the frame runs no script.
        if (request.isUserInitiated())
            clicked(request.requestedUrl());
    });
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    // Before anyone else hears of the load: updates sent then find `update`.
    connect(this, &QWebEnginePage::loadFinished, this, [this, barriers](bool ok) {
        if (ok)
            runJavaScript(PreviewPage::updateFunction(barriers), QWebEngineScript::ApplicationWorld);
    });
    connect(this, &QWebEnginePage::titleChanged, this, [this](const QString &title) {
        if (title.startsWith(PreviewPage::refusedTitlePrefix()))
            emit linkRefused(QUrl(title.sliced(PreviewPage::refusedTitlePrefix().size())));
    });
    setHtml(PreviewPage::html(barriers)); // arrives as a typed navigation to a data: address
}

bool Coordinator::opensOutside(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == u"http" || scheme == u"https" || scheme == u"mailto" || scheme == u"tel";
}

bool Coordinator::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && m_ownLoadPending && type == NavigationTypeTyped && url.scheme() == u"data") {
        m_ownLoadPending = false;
        return true;
    }
    if (type == NavigationTypeLinkClicked)
        clicked(url);
    return false;
}

void Coordinator::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                           int line, const QString &source)
{
    if (m_consolePrinted)
        QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
}

QWebEnginePage *Coordinator::createWindow(WebWindowType)
{
    return nullptr; // the preview never opens windows
}

void Coordinator::clicked(const QUrl &url)
{
    if (opensOutside(url))
        QDesktopServices::openUrl(url);
    else
        emit linkRefused(url);
}
