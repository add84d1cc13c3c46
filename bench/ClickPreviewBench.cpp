// A click on a row of the real window until the page shows that signature:
// the click, the engine's content load, split and decode, the script bridge
// following it and the web engine running the update, in a real web view.
// Taking turns with each click, two floors seen by the same question to their
// page: the toolkit's (ToolkitFloor: a plain Qt window of the same size and
// widgets, whose click selects a row, sets a label and replaces one element
// with the same signature through runJavaScript), and the page's share, a
// bare web view whose one element takes the signature by script alone.
// Then a census of what one click paints and lays out in each window.
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "bench/ClickCensus.h"
#include "bench/SampleSignatures.h"
#include "bench/SampleWindow.h"
#include "bench/TargetReport.h"
#include "bench/ToolkitFloor.h"
#include "notes/SignatureCheck.h"
#include "preview/ControlWebviewModel.h"
#include "preview/PreviewPage.h"
#include "preview/PreviewSurface.h"
#include "tests/common/TestHome.h"
#include "ui/list/SignatureListView.h"
#include "ui/render/SignatureRender.h"
#include "ui/render/SignatureRenderTopbar.h"
#include "ui/render/SignatureRenderTopbarAppearance.h"
#include "ui/render/SignatureRenderWebView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListView>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
namespace {

constexpr int signatureCount = 8;
// A signature as people paste them: a few kilobytes of styled HTML.
constexpr qsizetype signatureBytes = 4000;
// Long enough for a window to paint what the last update changed.
constexpr int settleMs = 40;

// The sample's signatures: every fourth plain, the next with one note (plain
// http links), the next declaring dark colours of its own, the next with two
// notes (and a link to a file), so that a click changes the note line, and in
// dark the appearance line, as it does between a user's signatures.
QString sampleHtml(int row, const QString &marker)
{
    QString html = SampleSignatures::html(signatureBytes, marker);
    if (row % 2 == 1)
        html.replace(QStringLiteral("https://"), QStringLiteral("http://"));
    if (row % 4 == 3)
        html.replace(QStringLiteral("</body>"),
                     QStringLiteral("<a href=\"file:///Users/ada/card.vcf\">card</a></body>"));
    if (row % 4 == 2)
        html.prepend(QStringLiteral("<style>:root { color-scheme: light dark; }</style>"));
    return html;
}
// Whether the signature the preview shows holds the element with `id`.
QString inPreview(const QString &id)
{
    return QStringLiteral("(function () { var d = document.getElementById('%1').contentDocument;"
                          " return d !== null && d.getElementById('%2') !== null; })()")
        .arg(PreviewPage::containerId(), id);
}

// Whether the preview's frame and its document are the ones of the last
// question; the first question notes them.
QString sameDocument()
{
    return QStringLiteral(
               "(function () { var f = document.getElementById('%1');"
               " var same = f === window.benchFrame && f.contentDocument === window.benchDocument;"
               " window.benchFrame = f; window.benchDocument = f.contentDocument; return same; })()")
        .arg(PreviewPage::containerId());
}

// The bare web view's one element.
const char bareElement[] = "floor";

// Between the script bridge and the page: notes when the page has been handed its update.
class HandoffClock : public PreviewSurface
{
public:
    HandoffClock(PreviewSurface &surface, const QElapsedTimer &clock) : m_surface(surface), m_clock(clock) {}
    QWidget *widget() override { return m_surface.widget(); }
    void showSignature(const QString &html, PreviewPage::Appearance appearance,
                       const PreviewImages &images) override
    {
        m_surface.showSignature(html, appearance, images);
        handedMs = double(m_clock.nsecsElapsed()) / 1e6;
    }
    void setAppearance(PreviewPage::Appearance appearance) override { m_surface.setAppearance(appearance); }

    double handedMs = 0;

private:
    PreviewSurface &m_surface;
    const QElapsedTimer &m_clock;
};

std::string pair(double median, double p90)
{
    return TargetReport::milliseconds(median / 1e3) + " (" + TargetReport::milliseconds(p90 / 1e3) + ")";
}

double median(const std::vector<double> &values)
{
    return TargetReport::percentile(values, 0.5);
}

// Median of 50 synchronous repaints of window, each from quiet.
double repaintMs(QWidget &window)
{
    std::vector<double> repaints;
    for (int i = 0; i < 50; ++i) {
        QTest::qWait(settleMs);
        QElapsedTimer clock;
        clock.start();
        window.repaint();
        repaints.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return median(repaints);
}

void printCensus(const char *what, const ClickCensus &census)
{
    std::printf("what a click does in %s, %d clicks:\n", what, census.clicks());
    for (const QString &line : census.report())
        std::printf("  %s\n", qPrintable(line));
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
    for (int row = 0; row < signatureCount; ++row) {
        if (!TestHome::write(home.file(row), TestHome::header(home.id(row)) + "\n\n" +
                                                 SampleSignatures::quotedPrintable(
                                                     sampleHtml(row, home.marker(row)).toUtf8()))) {
            std::fprintf(stderr, "could not write the sample signatures\n");
            return 1;
        }
    }
    home.enter();
    ApplicationSetup::prepare();
    QApplication application(argc, argv);

    SampleWindow::authorise(home.home() + QStringLiteral("/Library/Mail"));
    Vellix_Mac_MailApp window;
    if (!SampleWindow::show(window))
        return 1;
    SignatureListView *list = window.contentView()->listPane();
    QWebEngineView *view = SampleWindow::loaded(window, *list->rowsView()->model(), signatureCount);
    if (!view)
        return 1;
    QWebEnginePage *page = view->page();

    QStringList names, signatures;
    for (int row = 0; row < signatureCount; ++row) {
        names.append(list->rowsView()->model()->index(row, 0).data().toString());
        signatures.append(sampleHtml(row, home.marker(row)));
    }
    // The floors: windows of their own beside and below the program's, with the same signatures.
    ToolkitFloor toolkit(names, signatures);
    toolkit.move(window.frameGeometry().bottomLeft() + QPoint(0, 1));
    QWebEngineView bare;
    bare.resize(400, 300);
    bare.move(window.frameGeometry().topRight() + QPoint(1, 0));
    bool bareLoaded = false;
    QObject::connect(bare.page(), &QWebEnginePage::loadFinished, [&bareLoaded](bool ok) { bareLoaded = ok; });
    bare.setHtml(ToolkitFloor::elementPage(QLatin1String(bareElement)));
    if (!toolkit.open() || !SampleWindow::show(bare) ||
        !SampleWindow::waitFor([&] { return bareLoaded; }, 30000, 5)) {
        std::fprintf(stderr, "a floor's page did not load\n");
        return 1;
    }

    int pageLoads = 0;
    QObject::connect(page, &QWebEnginePage::loadStarted, [&pageLoads] { ++pageLoads; });

    // Each measurement starts from quiet windows: the frames the others
    // caused are painted before its clock starts, not while it runs.
    std::vector<double> clicks, toolkitClicks, bareUpdates;
    int probes = 0, toolkitProbes = 0, bareProbes = 0;
    QElapsedTimer clock;
    const auto clickProgram = [&](int row) {
        const QRect rect = list->rowRect(row);
        // Left part of the row: the name, away from any padlock.
        const QPoint point(rect.left() + 20, rect.center().y());
        clock.start();
        QTest::mouseClick(list->rowsView()->viewport(), Qt::LeftButton, {}, point);
    };
    for (int i = 0; i < warmup + iterations; ++i) {
        const int row = i % signatureCount;
        QTest::qWait(settleMs);
        clock.start();
        bare.page()->runJavaScript(ToolkitFloor::update(QLatin1String(bareElement), signatures[row]));
        const std::optional<double> bareMs =
            SampleWindow::until(bare.page(), ToolkitFloor::holds(home.marker(row)), clock, bareProbes);

        QTest::qWait(settleMs);
        clock.start();
        toolkit.click(row);
        const std::optional<double> toolkitMs =
            SampleWindow::until(toolkit.page(), ToolkitFloor::holds(home.marker(row)), clock, toolkitProbes);

        QTest::qWait(settleMs);
        clickProgram(row);
        const std::optional<double> ms =
            SampleWindow::until(page, inPreview(home.marker(row)), clock, probes);
        if (!ms || !toolkitMs || !bareMs) {
            std::fprintf(stderr, "row %d never reached the %s\n", row,
                         !ms ? "page" : (!toolkitMs ? "toolkit floor's page" : "bare web view"));
            return 1;
        }
        if (i >= warmup) {
            clicks.push_back(*ms);
            toolkitClicks.push_back(*toolkitMs);
            bareUpdates.push_back(*bareMs);
        }
    }

    // The census: one click on every row in each window, counted from the
    // click until the page has answered and the window has had time to paint;
    // then the program's again with the preview dark.
    ClickCensus census(&window), toolkitCensus(&toolkit), darkCensus(&window);
    QWidget *host = window.contentView()->previewPane()->webView()->findChild<QWidget *>();
    auto *surface = dynamic_cast<PreviewSurface *>(host);
    if (!surface) {
        std::fprintf(stderr, "the preview's surface was not found\n");
        return 1;
    }
    ControlWebviewModel &bridge = window.contentView()->previewPane()->javascriptModel();
    HandoffClock handoff(*surface, clock);
    bridge.attach(&handoff);
    std::vector<double> handed, walks;
    int newDocuments = 0;
    SampleWindow::pageAnswer(page, sameDocument());
    const auto countClicks = [&](ClickCensus &counted, ClickCensus *floorCounted) {
        for (int i = 0; i < signatureCount; ++i) {
            const int row = (warmup + iterations + i) % signatureCount;
            if (floorCounted) {
                QTest::qWait(settleMs);
                floorCounted->begin();
                clock.start();
                toolkit.click(row);
                SampleWindow::until(toolkit.page(), ToolkitFloor::holds(home.marker(row)), clock,
                                    toolkitProbes);
                QTest::qWait(settleMs);
                floorCounted->end();
            }
            QTest::qWait(settleMs);
            counted.begin();
            clickProgram(row);
            walks.push_back(double(clock.nsecsElapsed()) / 1e6);
            handed.push_back(handoff.handedMs);
            SampleWindow::until(page, inPreview(home.marker(row)), clock, probes);
            QTest::qWait(settleMs);
            counted.end();
            newDocuments += int(!SampleWindow::pageAnswer(page, sameDocument()).toBool());
        }
    };
    countClicks(census, &toolkitCensus);
    SignatureRenderTopbarAppearance *appearance = window.contentView()->previewPane()->topbar()->appearance();
    appearance->darkButton()->click();
    QTest::qWait(settleMs);
    countClicks(darkCensus, nullptr);
    appearance->lightButton()->click();
    bridge.attach(surface);
    std::vector<double> checks;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer checkClock;
        checkClock.start();
        SignatureCheck::check(signatures[i % signatureCount], true);
        checks.push_back(double(checkClock.nsecsElapsed()) / 1e6);
    }

    const double clickMedian = median(clicks), clickP90 = TargetReport::percentile(clicks, 0.9);
    const double toolkitMedian = median(toolkitClicks),
                 toolkitP90 = TargetReport::percentile(toolkitClicks, 0.9);
    const double bareMedian = median(bareUpdates);
    const auto spread = [&](const char *what, const std::vector<double> &values, int queries) {
        std::printf("%s: %d, median %.2f ms, p90 %.2f ms, min %.2f ms, max %.2f ms, %.2f page queries each\n",
                    what, iterations, median(values), TargetReport::percentile(values, 0.9),
                    TargetReport::percentile(values, 0.0), TargetReport::percentile(values, 1.0),
                    double(queries) / (warmup + iterations));
    };
    spread("click to preview", clicks, probes);
    spread("toolkit floor, click to page", toolkitClicks, toolkitProbes);
    spread("bare web view, update", bareUpdates, bareProbes);
    std::printf("click / toolkit floor: median %.2f x, p90 %.2f x; page loads during the clicks %d\n",
                clickMedian / toolkitMedian, clickP90 / toolkitP90, pageLoads);
    std::printf("one repaint of the window: program %.2f ms, toolkit floor %.2f ms\n", repaintMs(window),
                repaintMs(toolkit));
    std::printf("the click handled (mouseClick returned) %.2f ms after it began; the page handed its update "
                "at %.2f ms; notes on one signature %.3f ms; new documents in the preview's frame %d of %d\n",
                median(walks), median(handed), median(checks), newDocuments, 2 * signatureCount);
    printCensus("the program's window", census);
    printCensus("the program's window, the preview dark", darkCensus);
    printCensus("the toolkit floor", toolkitCensus);

    TargetReport::print("click on a row to new content in the page, median (p90)",
                        pair(clickMedian, clickP90), "<= 16.7 ms median (<= 30 ms p90)",
                        clickMedian <= 16.7 && clickP90 <= 30.0);
    TargetReport::print("click to page against the toolkit floor (a plain Qt window of the same widgets), "
                        "median / p90",
                        TargetReport::times(clickMedian / toolkitMedian) + " / " +
                            TargetReport::times(clickP90 / toolkitP90) + " (" + pair(clickMedian, clickP90) +
                            " against " + pair(toolkitMedian, toolkitP90) + ")",
                        "<= 1.2 x median, <= 1.5 x p90",
                        clickMedian <= 1.2 * toolkitMedian && clickP90 <= 1.5 * toolkitP90);
    TargetReport::print("the page's share: a bare web view's one element replaced by runJavaScript, median",
                        TargetReport::milliseconds(bareMedian / 1e3) + " (click " +
                            TargetReport::times(clickMedian / bareMedian) + ")",
                        "-", true);
    const auto perClick = [](int total, const ClickCensus &of) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", double(total) / std::max(1, of.clicks()));
        return std::string(text);
    };
    TargetReport::print("rows of the list painted per click", perClick(census.rowsPainted(), census),
                        "2 (the row left and the row chosen)", census.rowsPainted() <= 2 * census.clicks());
    TargetReport::print("layout passes per click", perClick(census.layoutPasses(), census), "0",
                        census.layoutPasses() == 0);
    TargetReport::print("update passes of the window per click, program / toolkit floor",
                        perClick(census.updatePasses(), census) + " / " +
                            perClick(toolkitCensus.updatePasses(), toolkitCensus),
                        "<= the toolkit floor's", census.updatePasses() <= toolkitCensus.updatePasses());
    TargetReport::print("page loads during the clicks", std::to_string(pageLoads), "0", pageLoads == 0);
    return 0;
}
