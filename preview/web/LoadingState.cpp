#include "preview/web/LoadingState.h"

#include <QWebEnginePage>

LoadingState *LoadingState::of(QWebEnginePage *page)
{
    if (auto *existing = page->findChild<LoadingState *>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new LoadingState(page);
}

LoadingState::LoadingState(QWebEnginePage *page) : QObject(page), m_loading(page->isLoading())
{
    connect(page, &QWebEnginePage::loadStarted, this, [this] { setLoading(true); });
    connect(page, &QWebEnginePage::loadFinished, this, [this] { setLoading(false); });
}

void LoadingState::expectLoad()
{
    setLoading(true);
}

void LoadingState::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    emit isLoadingChanged(loading);
}
