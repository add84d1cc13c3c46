#pragma once

#include <QElapsedTimer>
#include <QWebEnginePage>

class QWebEngineNewWindowRequest;

// The preview's page and its navigation policy. The preview page stays put:
// only the host's own load of it is followed. A user's click on a link opens
// the address outside the application; everything the page content starts by
// itself (script, meta refresh, form, iframe, window.open) goes nowhere.
class Coordinator : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit Coordinator(QObject *parent = nullptr);

    // Loads the preview page; the one navigation this page lets through.
    void loadPreview(const QString &html);

signals:
    // The page was reloaded after something replaced it; scripts must wait
    // for this load like for the first one.
    void previewReloaded();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    void openIfUserClicked(const QUrl &url);
    void newWindowRequest(QWebEngineNewWindowRequest &request);
    void committed(const QUrl &url);
    void restorePreview();

    QString m_html;
    bool m_ownLoadPending = false;
    bool m_restoreScheduled = false;
    QElapsedTimer m_sinceRestore;
};
