// mailsig insert of an HTML file beside its three 200 KB images with
// --embed-images, each run writing: two such files take turns, each naming
// images of its own, so every embedding leaves three parts out and makes
// three. Its floor: a plain insert of the same HTML holding the same images
// as data: addresses (a file of the same size written the same way), plus
// the base64 encoding of the images, which embedding adds by its nature.
// Beside them, for what the images cost in itself, a plain insert of the
// HTML with its images left as relative addresses.
#include "bench/EmbedBench.h"

#include "bench/MailsigRun.h"
#include "bench/SampleSignatures.h"
#include "bench/TargetReport.h"
#include "tests/common/TestHome.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QRandomGenerator>

#include <array>
#include <memory>

namespace {

constexpr int imageCount = 3;
constexpr qsizetype imageBytes = 200 * 1024;
std::unique_ptr<SampleSignatures::MailHome> embedHome;

// A PNG's signature and header, then noise in an ancillary chunk no reader
// needs: a valid PNG of about size bytes, which does not compress.
QByteArray image(quint32 seed, qsizetype size)
{
    QByteArray bytes = TestHome::png("red");
    QByteArray noise(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    const QByteArray length(
        reinterpret_cast<const char *>(
            std::array<uchar, 4>{uchar(size >> 24), uchar(size >> 16), uchar(size >> 8), uchar(size)}.data()),
        4);
    // After the 8-byte signature and the 25-byte IHDR chunk; its CRC is not checked by decoders it
    // is never shown to, and the embedding reads only the leading bytes.
    return bytes.insert(33, length + "zzZz" + noise + QByteArray(4, '\0'));
}

// The HTML of a set, its images named as files beside it or as data: addresses.
std::string htmlFile(int set, bool asData = false)
{
    return (embedHome->home() + QStringLiteral("/site/%1%2.html").arg(set).arg(asData ? "-data" : ""))
        .toStdString();
}

bool enterEmbedHome(benchmark::State &state)
{
    if (!embedHome) {
        embedHome = std::make_unique<SampleSignatures::MailHome>(1, 1500);
        const QString site = embedHome->home() + QStringLiteral("/site");
        bool ready = embedHome->isValid() && QDir().mkpath(site + QStringLiteral("/img"));
        for (int set = 0; set < 2; ++set) {
            QByteArray html = "<table><tr><td><b>Ada Lovelace</b></td>", data = html;
            for (int i = 0; i < imageCount; ++i) {
                const QString name = QStringLiteral("img/%1-%2.png").arg(set).arg(i);
                const QByteArray png = image(quint32(set * 10 + i), imageBytes);
                ready = ready && TestHome::write(site + u'/' + name, png);
                html += "<td><img width=\"100\" height=\"40\" src=\"" + name.toUtf8() + "\"></td>";
                data += "<td><img width=\"100\" height=\"40\" src=\"data:image/png;base64," + png.toBase64() +
                        "\"></td>";
            }
            ready = ready &&
                    TestHome::write(site + QStringLiteral("/%1.html").arg(set), html + "</tr></table>") &&
                    TestHome::write(site + QStringLiteral("/%1-data.html").arg(set), data + "</tr></table>");
        }
        if (!ready) {
            embedHome.reset();
            state.SkipWithError("could not build the sample Mail folder");
            return false;
        }
    }
    embedHome->enter();
    return true;
}

void timeInsert(benchmark::State &state, bool embed, bool asData = false)
{
    if (!enterEmbedHome(state))
        return;
    int set = 0;
    for (auto _ : state) {
        std::vector<std::string> arguments{"insert", "Signature 0", htmlFile(set++ % 2, asData)};
        if (embed)
            arguments.push_back("--embed-images");
        if (!MailsigRun::run(arguments)) {
            state.SkipWithError("mailsig insert failed");
            break;
        }
    }
}

void BM_InsertImagesAsAddresses(benchmark::State &state)
{
    timeInsert(state, false);
}

void BM_InsertImagesAsData(benchmark::State &state)
{
    timeInsert(state, false, true);
}

void BM_InsertImagesEmbedded(benchmark::State &state)
{
    timeInsert(state, true);
}

void BM_Base64Images(benchmark::State &state)
{
    QList<QByteArray> images;
    for (int i = 0; i < imageCount; ++i)
        images.append(image(quint32(i), imageBytes));
    for (auto _ : state) {
        for (const QByteArray &bytes : images)
            benchmark::DoNotOptimize(bytes.toBase64());
    }
}

void medianOfFive(benchmark::internal::Benchmark *family)
{
    family->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_InsertImagesAsAddresses)->Apply(medianOfFive);
BENCHMARK(BM_InsertImagesAsData)->Apply(medianOfFive);
BENCHMARK(BM_InsertImagesEmbedded)->Apply(medianOfFive);
BENCHMARK(BM_Base64Images)->Apply(medianOfFive);

} // namespace

void EmbedBench::report(const TargetReporter &reporter)
{
    using namespace TargetReport;
    const auto addresses = reporter.seconds("BM_InsertImagesAsAddresses");
    const auto plain = reporter.seconds("BM_InsertImagesAsData");
    const auto embedded = reporter.seconds("BM_InsertImagesEmbedded");
    const auto base64 = reporter.seconds("BM_Base64Images");
    if (addresses && plain && embedded && base64)
        print("mailsig insert --embed-images, three 200 KB images, process start to exit",
              milliseconds(*embedded) + " (plain insert with them as data: " + milliseconds(*plain) +
                  ", base64 " + milliseconds(*base64) + "; without the images " + milliseconds(*addresses) +
                  ")",
              "<= 1.5 x (plain insert + base64)", *embedded <= 1.5 * (*plain + *base64));
    embedHome.reset();
}
