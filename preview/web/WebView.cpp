#include "preview/web/WebView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QWebEngineContextMenuRequest>

WebView::WebView(QWidget *parent) : QWebEngineView(parent) {}

WebView::~WebView()
{
    delete m_devTools;
}

void WebView::contextMenuEvent(QContextMenuEvent *event)
{
    // The standard menu needs the page's context-menu request; without one
    // (an event sent from elsewhere) the menu holds only the inspector.
    QMenu *menu = lastContextMenuRequest() ? createStandardContextMenu() : new QMenu(this);
    menu->removeAction(pageAction(QWebEnginePage::InspectElement));
    menu->addSeparator();
    QAction *inspect = menu->addAction(tr("Inspect"));
    connect(inspect, &QAction::triggered, this, &WebView::openDevTools);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void WebView::openDevTools()
{
    if (!m_devTools) {
        m_devTools = new QWebEngineView;
        m_devTools->setAttribute(Qt::WA_DeleteOnClose);
        m_devTools->setWindowTitle(tr("Inspector"));
        m_devTools->resize(900, 600);
        page()->setDevToolsPage(m_devTools->page());
    }
    m_devTools->show();
    m_devTools->raise();
    triggerPageAction(QWebEnginePage::InspectElement);
}
