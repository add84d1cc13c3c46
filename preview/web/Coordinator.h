#pragma once

#include "preview/PreviewPage.h"

#include <QWebEnginePage>

// The preview's page, its settings and its navigation policy. The page loads
// the fixed preview page once and never leaves it: the only navigations let
// through are that load and the frame taking a signature as its document. A
// user's click on an http, https, mailto or tel link opens it outside the
// application; a click on any other link is refused and reported. Signature
// content runs no script, so every link navigation comes from a user's click.
class Coordinator : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit Coordinator(QObject *parent = nullptr, PreviewPage::Barriers barriers = {});

    // Whether a link with this address is opened outside when clicked.
    static bool opensOutside(const QUrl &url);

signals:
    // The user clicked a link that is not opened because of its scheme.
    void linkRefused(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    // Nothing in the page may ask the user anything.
    void javaScriptAlert(const QUrl &, const QString &) override {}
    bool javaScriptConfirm(const QUrl &, const QString &) override { return false; }
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override
    {
        return false;
    }
    QStringList chooseFiles(FileSelectionMode, const QStringList &, const QStringList &) override
    {
        return {};
    }
    // The engine's notes on what the page refused (a signature's handlers, say)
    // are no news to the user: printed only when MAILSIG_PREVIEW_CONSOLE is 1.
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override;

private:
    void clicked(const QUrl &url);

    bool m_ownLoadPending = true;
    const bool m_consolePrinted = qEnvironmentVariable("MAILSIG_PREVIEW_CONSOLE") == u"1";
};
