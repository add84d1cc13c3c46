// The text work behind a preview: a signature file split into header and
// HTML and composed back, the body decoded by its header, and the update script.
#include "bench/SampleSignatures.h"
#include "bench/TargetReport.h"
#include "preview/UpdateScript.h"
#include "store/SignatureFileFormat.h"
#include "tests/common/TestHome.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

constexpr qsizetype megabyte = 1024 * 1024;

// The same inputs for every run of a size.
struct Inputs
{
    QByteArray fileBytes; // header, blank line, quoted-printable body
    QString fileText;
    QString header;
    QString body;
    QString html; // the body decoded
};

const Inputs &inputs(qsizetype bytes)
{
    static std::map<qsizetype, Inputs> cache;
    Inputs &in = cache[bytes];
    if (in.fileBytes.isEmpty()) {
        const QString id = QStringLiteral("6F0A3C2E-5B1D-4C8A-9E7F-1A2B3C4D5E6F");
        // Encoding makes the text longer: aim the HTML so the file is `bytes`.
        const QByteArray encoded =
            SampleSignatures::quotedPrintable(SampleSignatures::html(bytes * 4 / 5).toUtf8());
        const QByteArray header = TestHome::header(id);
        // Cut after a line end, so no escape is torn in two.
        const QByteArray body = encoded.left(encoded.lastIndexOf('\n', bytes - header.size() - 2) + 1);
        in.fileBytes = header + "\n\n" + body;
        in.fileText = QString::fromUtf8(in.fileBytes);
        in.header = QString::fromUtf8(header);
        in.body = QString::fromUtf8(body);
        in.html = SignatureFileFormat::decodedBody({in.header, in.body}).value_or(QString());
    }
    return in;
}

void finish(benchmark::State &state, qsizetype bytes)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.SetComplexityN(bytes);
    state.counters["per_MB"] =
        benchmark::Counter(double(bytes) / megabyte,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DecodeUtf8(benchmark::State &state)
{
    const Inputs &in = inputs(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(SignatureFileFormat::decodeUtf8(in.fileBytes));
    finish(state, in.fileBytes.size());
}

void BM_Split(benchmark::State &state)
{
    const Inputs &in = inputs(state.range(0));
    if (!SignatureFileFormat::split(in.fileText))
        state.SkipWithError("the sample file does not split");
    for (auto _ : state)
        benchmark::DoNotOptimize(SignatureFileFormat::split(in.fileText));
    finish(state, in.fileText.size());
}

void BM_Compose(benchmark::State &state)
{
    const Inputs &in = inputs(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(SignatureFileFormat::compose(in.header, in.body));
    finish(state, in.header.size() + in.body.size());
}

void BM_DecodedBody(benchmark::State &state)
{
    const Inputs &in = inputs(state.range(0));
    const AppleSignatureContent content{in.header, in.body};
    if (in.html.isEmpty())
        state.SkipWithError("the sample does not decode");
    for (auto _ : state)
        benchmark::DoNotOptimize(SignatureFileFormat::decodedBody(content));
    finish(state, in.body.size());
}

void BM_UpdateScript(benchmark::State &state)
{
    const Inputs &in = inputs(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(UpdateScript::build(in.html));
    finish(state, in.html.size());
}

// 1, 4 and 16 MB, medians of three repetitions.
void textSizes(benchmark::internal::Benchmark *family)
{
    family->Arg(1 * megabyte)
        ->Arg(4 * megabyte)
        ->Arg(16 * megabyte)
        ->Complexity(benchmark::oN)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
}
BENCHMARK(BM_DecodeUtf8)->Apply(textSizes);
BENCHMARK(BM_Split)->Apply(textSizes);
BENCHMARK(BM_Compose)->Apply(textSizes);
BENCHMARK(BM_DecodedBody)->Apply(textSizes);
BENCHMARK(BM_UpdateScript)->Apply(textSizes);

void printTargets(const TargetReporter &reporter)
{
    using namespace TargetReport;
    const struct
    {
        const char *name;
        const char *figure;
    } figures[] = {
        {"BM_Split", "split of a signature file"},
        {"BM_Compose", "compose of a signature file"},
        {"BM_DecodedBody", "body decoding by the header"},
        {"BM_UpdateScript", "update script building"},
        {"BM_DecodeUtf8", "UTF-8 check of a signature file"},
    };
    // Linearity is judged from 4 to 16 MB: a step that grows with the square
    // of the size costs 4 x per MB there. Room is left for the memory system
    // (up to 2.5 x, or 3 ms per MB): 1 and 4 MB results reuse the heap and
    // partly the processor's caches, while 16 MB results (32 MB of UTF-16,
    // beyond glibc's largest mmap threshold) are fresh pages from the kernel
    // on every call.
    for (const auto &figure : figures) {
        const auto cost = reporter.perMegabyte(figure.name);
        if (!cost)
            continue;
        const double worst = std::max({cost->one, cost->four, cost->sixteen});
        const bool linear = cost->sixteen <= std::max(2.5 * cost->four, cost->four + 0.003);
        print(std::string(figure.figure) + ", per MB at 1 / 4 / 16 MB", milliseconds(*cost),
              "<= 10 ms per MB; linear (per MB at 16 MB within 2.5 x or 3 ms of 4 MB)",
              worst <= 0.010 && linear);
    }
}

} // namespace

int main(int argc, char **argv)
{
    TargetReporter reporter;
    const int status = TargetReport::run(argc, argv, reporter);
    printTargets(reporter);
    return status;
}
