#pragma once

#include <QMainWindow>

class ContentView;

// The application's one window: a fixed 900 × 400 content area showing the
// root view, and a menu bar that offers no second window and no help items.
class Vellix_Mac_MailApp : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int contentWidth = 900;
    static constexpr int contentHeight = 400;

    explicit Vellix_Mac_MailApp(QWidget *parent = nullptr);

    ContentView *contentView() const { return m_contentView; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();

    ContentView *m_contentView;
    bool m_wasShown = false;
};
