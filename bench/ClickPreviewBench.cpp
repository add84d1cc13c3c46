// A click on a row of the real window until the page shows that signature:
// the click, the engine's content load and split, the preview watch, the
// script bridge and the web engine running the update, in a real web view.
// Prints median and 90th percentile, and the page loads seen meanwhile.
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "bench/SampleSignatures.h"
#include "bench/SampleWindow.h"
#include "bench/TargetReport.h"
#include "preview/PreviewPage.h"
#include "ui/list/SignatureListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
namespace {

constexpr int signatureCount = 8;
// A signature as people paste them: a few kilobytes of styled HTML.
constexpr qsizetype signatureBytes = 4000;

// Asks the page whether the signature it shows holds the element with `id`.
bool pageHasElement(QWebEnginePage *page, const QString &id)
{
    QEventLoop loop;
    bool found = false;
    page->runJavaScript(QStringLiteral("(function () { var d = document.getElementById('%1').contentDocument;"
                                       " return d !== null && d.getElementById('%2') !== null; })()")
                            .arg(PreviewPage::containerId(), id),
                        [&](const QVariant &value) {
                            found = value.toBool();
                            loop.quit();
                        });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return found;
}

} // namespace

int main(int argc, char *argv[])
{
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int warmup = 10;

    SampleSignatures::MailHome home(signatureCount, signatureBytes);
    if (!home.isValid()) {
        std::fprintf(stderr, "could not build the sample Mail folder\n");
        return 1;
    }
    home.enter();
    ApplicationSetup::prepare();
    QApplication application(argc, argv);

    SampleWindow::authorise(home.home() + QStringLiteral("/Library/Mail"));
    Vellix_Mac_MailApp window;
    if (!SampleWindow::show(window))
        return 1;
    SignatureListView *list = window.contentView()->listPane();
    QWebEnginePage *page = nullptr;
    // The preview's web view is shown once its page has loaded.
    const bool ready = SampleWindow::waitFor(
        [&] {
            auto *view = window.findChild<QWebEngineView *>();
            page = view && view->isVisible() ? view->page() : nullptr;
            return page;
        },
        30000, 5);
    if (!ready || list->rowsView()->model()->rowCount() < signatureCount) {
        std::fprintf(stderr, "the window did not show the list and a loaded preview\n");
        return 1;
    }

    int pageLoads = 0;
    QObject::connect(page, &QWebEnginePage::loadStarted, [&pageLoads] { ++pageLoads; });

    std::vector<double> latencies;
    latencies.reserve(size_t(iterations));
    int probes = 0;
    for (int i = 0; i < warmup + iterations; ++i) {
        const int row = i % signatureCount;
        const QRect rect = list->rowRect(row);
        // Left part of the row: the name, away from any padlock.
        const QPoint point(rect.left() + 20, rect.center().y());
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(list->rowsView()->viewport(), Qt::LeftButton, {}, point);
        while (++probes, !pageHasElement(page, home.marker(row))) {
            if (clock.elapsed() > 10000) {
                std::fprintf(stderr, "row %d never reached the page\n", row);
                return 1;
            }
        }
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (i >= warmup)
            latencies.push_back(ms);
    }

    const double median = TargetReport::percentile(latencies, 0.5);
    const double p90 = TargetReport::percentile(latencies, 0.9);
    std::printf("click to preview: %d clicks, median %.2f ms, p90 %.2f ms, min %.2f ms, max %.2f ms, "
                "page loads %d, %.2f page queries per click\n",
                iterations, median, p90, TargetReport::percentile(latencies, 0.0),
                TargetReport::percentile(latencies, 1.0), pageLoads, double(probes) / (warmup + iterations));
    TargetReport::print("click on a row to new content in the page, median (p90)",
                        TargetReport::milliseconds(median / 1e3) + " (" +
                            TargetReport::milliseconds(p90 / 1e3) + ")",
                        "<= 16.7 ms median (<= 30 ms p90)", median <= 16.7 && p90 <= 30.0);
    TargetReport::print("page loads during the clicks", std::to_string(pageLoads), "0", pageLoads == 0);
    return 0;
}
