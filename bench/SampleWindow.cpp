#include "bench/SampleWindow.h"

#include "access/FolderAccess.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>

void SampleWindow::authorise(const QString &mailFolder)
{
    FolderAccess::saveFolderBookmark(mailFolder);
}

bool SampleWindow::show(QWidget &window)
{
    window.show();
    if (QTest::qWaitForWindowExposed(&window))
        return true;
    std::fprintf(stderr, "window not exposed\n");
    return false;
}

bool SampleWindow::waitFor(const std::function<bool()> &condition, int timeoutMs, int pollMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(pollMs);
    }
    return true;
}

QWebEngineView *SampleWindow::loaded(QWidget &window, const QAbstractItemModel &rows, int count)
{
    QWebEngineView *view = nullptr;
    // The preview's web view is shown once its page has loaded.
    if (waitFor(
            [&] {
                view = window.findChild<QWebEngineView *>();
                return view && view->isVisible() && rows.rowCount() == count;
            },
            30000, 5))
        return view;
    std::fprintf(stderr, "the window did not show the list and a loaded preview\n");
    return nullptr;
}

QVariant SampleWindow::pageAnswer(QWebEnginePage *page, const QString &question)
{
    QEventLoop loop;
    QVariant answer;
    page->runJavaScript(question, [&](const QVariant &value) {
        answer = value;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return answer;
}

std::optional<double> SampleWindow::until(QWebEnginePage *page, const QString &question,
                                          const QElapsedTimer &clock, int &probes)
{
    while (++probes, !pageAnswer(page, question).toBool()) {
        if (clock.elapsed() > 10000)
            return std::nullopt;
    }
    return double(clock.nsecsElapsed()) / 1e6;
}
