#pragma once

#include <QPointer>
#include <QWebEngineView>

// The preview's web view. Its context menu offers the inspector.
class WebView : public QWebEngineView
{
    Q_OBJECT
public:
    explicit WebView(QWidget *parent = nullptr);
    ~WebView() override;

    // Opens the developer tools in a window of their own, inspecting the
    // element under the last context menu.
    void openDevTools();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QPointer<QWebEngineView> m_devTools;
};
