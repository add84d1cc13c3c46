#pragma once

#include <QObject>

class QWebEnginePage;

// Whether a page is loading, as the script bridge needs it. The page reports
// the start of a load a few milliseconds after the load was asked for, so a
// host that starts a load says so first (`expectLoad`), and the page counts as
// loading from then until the load finishes.
class LoadingState : public QObject
{
    Q_OBJECT
public:
    // The state of `page`, created on first use as a child of the page.
    static LoadingState *of(QWebEnginePage *page);

    bool isLoading() const { return m_loading; }
    void expectLoad();

signals:
    void isLoadingChanged(bool loading);

private:
    explicit LoadingState(QWebEnginePage *page);
    void setLoading(bool loading);

    bool m_loading = false;
};
