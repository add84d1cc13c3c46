#include "preview/web/Coordinator.h"

#include "preview/web/LoadingState.h"

#include <QDesktopServices>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

const QString aboutScheme = QStringLiteral("about");

// Navigation types cannot tell a user's click from `location = ...` or
// `link.click()` in script: both arrive as a clicked link. Events the user
// makes are trusted and script cannot forge them, so a listener in a world the
// page cannot reach records the link of the user's last click, and a
// navigation counts as a click only if it goes to that link's address.
const char recorderSource[] = R"JS(
(function () {
    function record(event) {
        if (!event.isTrusted)
            return;
        var target = event.target;
        var link = target && target.closest ? target.closest('a[href], area[href]') : null;
        window.__previewUserClick = link && typeof link.href === 'string'
            ? { href: link.href, time: Date.now() } : null;
    }
    window.addEventListener('click', record, true);
    window.addEventListener('auxclick', record, true);
})();
)JS";

// Hands out the recorded click once, and only while it is fresh.
const char takeClickSource[] = R"JS(
(function () {
    var click = window.__previewUserClick;
    window.__previewUserClick = null;
    return click && Date.now() - click.time < 2000 ? click.href : null;
})()
)JS";

// Something that keeps replacing the page must not keep the engine busy.
constexpr qint64 minimumRestoreIntervalMs = 1000;

} // namespace

Coordinator::Coordinator(QObject *parent) : QWebEnginePage(parent)
{
    QWebEngineScript recorder;
    recorder.setName(QStringLiteral("user-click-recorder"));
    recorder.setSourceCode(QString::fromUtf8(recorderSource));
    recorder.setWorldId(QWebEngineScript::ApplicationWorld);
    recorder.setInjectionPoint(QWebEngineScript::DocumentCreation);
    recorder.setRunsOnSubFrames(false);
    scripts().insert(recorder);

    connect(this, &QWebEnginePage::newWindowRequested, this, &Coordinator::newWindowRequest);
    connect(this, &QWebEnginePage::urlChanged, this, &Coordinator::committed);
}

void Coordinator::loadPreview(const QString &html)
{
    m_html = html;
    m_ownLoadPending = true;
    LoadingState::of(this)->expectLoad();
    setHtml(html); // arrives as a typed navigation to a data: address
}

bool Coordinator::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (m_ownLoadPending && isMainFrame && type == NavigationTypeTyped && url.scheme() == u"data") {
        m_ownLoadPending = false;
        return true;
    }
    // An "about" document in a frame of the signature leaves the preview page
    // in place; in the main frame it would replace the page and end previews.
    if (url.scheme() == aboutScheme)
        return !isMainFrame;
    if (type == NavigationTypeLinkClicked && isMainFrame)
        openIfUserClicked(url);
    return false;
}

QWebEnginePage *Coordinator::createWindow(WebWindowType)
{
    return nullptr; // the preview never opens windows; see newWindowRequest
}

void Coordinator::newWindowRequest(QWebEngineNewWindowRequest &request)
{
    // A link with target=_blank is treated as a click on that link.
    if (request.isUserInitiated() && request.requestedUrl().scheme() != aboutScheme)
        openIfUserClicked(request.requestedUrl());
}

void Coordinator::openIfUserClicked(const QUrl &url)
{
    runJavaScript(QString::fromUtf8(takeClickSource), QWebEngineScript::ApplicationWorld,
                  [url](const QVariant &clicked) {
                      if (clicked.typeId() == QMetaType::QString && QUrl(clicked.toString()) == url)
                          QDesktopServices::openUrl(url);
                  });
}

void Coordinator::committed(const QUrl &url)
{
    // Chromium commits "about" addresses without asking acceptNavigationRequest,
    // so the only way to keep the preview alive is to load it again.
    if (url.scheme() != aboutScheme || m_html.isNull() || m_restoreScheduled)
        return;
    m_restoreScheduled = true;
    const qint64 wait = m_sinceRestore.isValid()
                            ? std::max<qint64>(0, minimumRestoreIntervalMs - m_sinceRestore.elapsed())
                            : 0;
    QTimer::singleShot(wait, this, &Coordinator::restorePreview);
}

void Coordinator::restorePreview()
{
    m_restoreScheduled = false;
    m_sinceRestore.start();
    loadPreview(m_html);
    emit previewReloaded();
}
