// A click on a signature with three 50 KB images until the page shows it
// with every image decoded, in the real window: once as Mail keeps the
// images, as parts of the file named by cid:, and once with the same images
// as data: addresses in its HTML, taking turns, each after a click on a
// plain signature and a moment of quiet.
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "bench/SampleSignatures.h"
#include "bench/SampleWindow.h"
#include "bench/TargetReport.h"
#include "preview/PreviewPage.h"
#include "tests/common/TestHome.h"
#include "ui/list/SignatureListView.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QListView>
#include <QRandomGenerator>
#include <QTest>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int settleMs = 40;
constexpr int imageCount = 3;

// A PNG of noise, which does not compress: about 50 KB.
QByteArray noisePng(quint32 seed)
{
    QImage image(128, 100, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = random.generate() | 0xff000000u;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The signature's HTML, each image named by address(i).
QByteArray html(const QString &marker, const std::function<QByteArray(int)> &address)
{
    QByteArray text = "<body><p id=\"" + marker.toUtf8() + "\">Ada Lovelace</p>";
    for (int i = 0; i < imageCount; ++i)
        text += "<img width=\"64\" height=\"50\" src=\"" + address(i) + "\">";
    return text + "</body>";
}

// Whether the preview shows the marked signature with all its images decoded.
QString shown(const QString &marker)
{
    return QStringLiteral("(function () { var d = document.getElementById('%1').contentDocument;"
                          " if (!d || !d.getElementById('%2')) return false;"
                          " var i = [...d.images]; return i.length === %3 &&"
                          " i.every(function (m) { return m.complete && m.naturalWidth > 0; }); })()")
        .arg(PreviewPage::containerId(), marker)
        .arg(imageCount);
}

} // namespace

int main(int argc, char *argv[])
{
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int warmup = 5;
    SampleSignatures::MailHome home(3, 1000);
    ApplicationSetup::prepare();
    QApplication application(argc, argv);
    QList<TestHome::Part> parts;
    for (int i = 0; i < imageCount; ++i)
        parts.append({QStringLiteral("IMAGE-%1").arg(i), QStringLiteral("image%1.png").arg(i), noisePng(i)});
    const QByteArray asParts =
        TestHome::related(SampleSignatures::quotedPrintable(html(
                              home.marker(1), [](int i) { return "cid:IMAGE-" + QByteArray::number(i); })),
                          parts);
    const QByteArray asData = TestHome::header(home.id(2)) + "\n\n" +
                              SampleSignatures::quotedPrintable(html(home.marker(2), [&](int i) {
                                  return "data:image/png;base64," + parts.at(i).png.toBase64();
                              }));
    if (!home.isValid() || !TestHome::write(home.file(1), asParts) ||
        !TestHome::write(home.file(2), asData)) {
        std::fprintf(stderr, "could not build the sample Mail folder\n");
        return 1;
    }
    home.enter();
    SampleWindow::authorise(home.home() + QStringLiteral("/Library/Mail"));
    Vellix_Mac_MailApp window;
    if (!SampleWindow::show(window))
        return 1;
    SignatureListView *list = window.contentView()->listPane();
    QWebEngineView *view = SampleWindow::loaded(window, *list->rowsView()->model(), 3);
    if (!view)
        return 1;
    QWebEnginePage *page = view->page();

    QElapsedTimer clock;
    int probes = 0;
    // A click on a row, and the time until the page shows it as shown() asks.
    const auto click = [&](int row, const QString &question) {
        QTest::qWait(settleMs);
        const QRect rect = list->rowRect(row);
        clock.start();
        QTest::mouseClick(list->rowsView()->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() + 20, rect.center().y()));
        return SampleWindow::until(page, question, clock, probes);
    };
    const QString plain =
        QStringLiteral("(function () { var d = document.getElementById('%1').contentDocument;"
                       " return !!d && !!d.getElementById('%2'); })()")
            .arg(PreviewPage::containerId(), home.marker(0));
    std::vector<double> partClicks, dataClicks;
    for (int i = 0; i < warmup + iterations; ++i) {
        const std::optional<double> before = click(0, plain);
        const std::optional<double> withParts = click(1, shown(home.marker(1)));
        const std::optional<double> between = click(0, plain);
        const std::optional<double> withData = click(2, shown(home.marker(2)));
        if (!before || !withParts || !between || !withData) {
            std::fprintf(stderr, "a signature never showed with its images\n");
            return 1;
        }
        if (i >= warmup) {
            partClicks.push_back(*withParts);
            dataClicks.push_back(*withData);
        }
    }
    using namespace TargetReport;
    const double parts50 = percentile(partClicks, 0.5), data50 = percentile(dataClicks, 0.5);
    std::printf(
        "click to a signature with three 50 KB images shown, %d clicks each: image parts %s (p90 %s), "
        "data: addresses %s (p90 %s)\n",
        iterations, milliseconds(parts50 / 1e3).c_str(),
        milliseconds(percentile(partClicks, 0.9) / 1e3).c_str(), milliseconds(data50 / 1e3).c_str(),
        milliseconds(percentile(dataClicks, 0.9) / 1e3).c_str());
    print("click to three 50 KB image parts shown, against the same images as data: addresses",
          times(parts50 / data50), "<= 1.3 x", parts50 <= 1.3 * data50);
    return 0;
}
