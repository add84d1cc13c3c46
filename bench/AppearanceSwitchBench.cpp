// A click on Light or Dark in the real window until the web view shows the
// other rendering: the button, the script bridge, the page restyling the
// shown signature and the frame that reaches the view. Read from the view's
// own pixels, on a signature without dark colours (inverted) and on one with
// them (its own dark rules). Prints median and 90th percentile.
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "bench/SampleSignatures.h"
#include "bench/SampleWindow.h"
#include "bench/TargetReport.h"
#include "store/SignaturesEngine.h"
#include "ui/list/SignatureListView.h"
#include "ui/render/SignatureRender.h"
#include "ui/render/SignatureRenderTopbar.h"
#include "ui/render/SignatureRenderTopbarAppearance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

} // namespace

int main(int argc, char *argv[])
{
    const int switches = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
    const int warmup = 10;

    SampleSignatures::MailHome home(2, 4000);
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
    SignatureRenderTopbarAppearance *appearance = window.contentView()->previewPane()->topbar()->appearance();
    QWebEngineView *view = SampleWindow::loaded(window, *list->rowsView()->model(), 2);
    if (!view)
        return 1;
    // In the body's margin: the page's background, white in light, Mail's dark grey in dark.
    const auto background = [view] {
        return view->grab(QRect(3, view->height() / 2, 1, 1)).toImage().pixel(0, 0);
    };

    {
        // What each look at the view adds to a figure, at most.
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 50; ++i)
            background();
        std::printf("one read of the view's pixel: %.2f ms\n", double(clock.nsecsElapsed()) / 1e6 / 50);
    }
    // The floor: the page's own colour under the signature changed by one line of script, the least a
    // change can take through the same engine, compositor and window.
    std::vector<double> floor;
    for (int i = 0; i < warmup + switches; ++i) {
        const bool dark = i % 2 == 0;
        QElapsedTimer clock;
        clock.start();
        view->page()->runJavaScript(QStringLiteral("document.querySelector('iframe').style.background = '%1'")
                                        .arg(dark ? "#1e1e1e" : ""),
                                    QWebEngineScript::ApplicationWorld);
        if (!SampleWindow::waitFor(
                [&] { return background() == (dark ? qRgb(30, 30, 30) : qRgb(255, 255, 255)); }, 10000, 1)) {
            std::fprintf(stderr, "the page's colour never reached the view\n");
            return 1;
        }
        if (i >= warmup)
            floor.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("floor, one colour changed by script: %d changes, median %.2f ms, p90 %.2f ms\n", switches,
                TargetReport::percentile(floor, 0.5), TargetReport::percentile(floor, 0.9));
    std::vector<double> all;
    for (const bool ownDark : {false, true}) {
        const int row = ownDark ? 1 : 0;
        QTest::mouseClick(list->rowsView()->viewport(), Qt::LeftButton, {}, list->rowRect(row).center());
        if (ownDark && !window.contentView()->engine().insertSignature(QStringLiteral(
                           "<meta name=\"color-scheme\" content=\"light dark\"><style>@media "
                           "(prefers-color-scheme: dark) { b { color: #9cf } }</style><b>Own dark</b>"))) {
            std::fprintf(stderr, "could not insert the signature with dark colours\n");
            return 1;
        }
        QTest::qWait(500); // for the signature to show
        std::vector<double> latencies;
        for (int i = 0; i < warmup + switches; ++i) {
            const bool dark = i % 2 == 0;
            QToolButton *button = dark ? appearance->darkButton() : appearance->lightButton();
            const QRgb expected = dark ? qRgb(30, 30, 30) : qRgb(255, 255, 255);
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(button, Qt::LeftButton);
            if (!SampleWindow::waitFor([&] { return background() == expected; }, 10000, 1)) {
                std::fprintf(stderr, "switch %d never reached the view\n", i);
                return 1;
            }
            if (i >= warmup)
                latencies.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::vector<double> toDark, toLight;
        for (size_t k = 0; k < latencies.size(); ++k)
            (k % 2 == 0 ? toDark : toLight).push_back(latencies[k]);
        std::printf("  to dark median %.2f ms, to light median %.2f ms\n",
                    TargetReport::percentile(toDark, 0.5), TargetReport::percentile(toLight, 0.5));
        std::printf("%s: %d switches, median %.2f ms, p90 %.2f ms, min %.2f ms, max %.2f ms\n",
                    ownDark ? "own dark colours" : "inverted", switches,
                    TargetReport::percentile(latencies, 0.5), TargetReport::percentile(latencies, 0.9),
                    TargetReport::percentile(latencies, 0.0), TargetReport::percentile(latencies, 1.0));
        all.insert(all.end(), latencies.begin(), latencies.end());
    }
    const double median = TargetReport::percentile(all, 0.5);
    TargetReport::print("Light <-> Dark to the other rendering in the view, median (p90)",
                        TargetReport::milliseconds(median / 1e3) + " (" +
                            TargetReport::milliseconds(TargetReport::percentile(all, 0.9) / 1e3) + ")",
                        "<= 33 ms median (two frames)", median <= 33.0);
    return 0;
}
