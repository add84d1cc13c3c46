#include "bench/SampleWindow.h"

#include "access/FolderAccess.h"

#include <QElapsedTimer>
#include <QTest>

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
