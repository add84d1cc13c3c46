// The notes on a signature: a 100 KB signature as Mail holds it, and the cost
// per MB from 1 to 16 MB, of ordinary HTML and of HTML built to make the
// parser's work grow faster than its size (deep nesting with stray end tags,
// tags with thousands of attributes).
#include "bench/SampleSignatures.h"
#include "bench/TargetReport.h"
#include "notes/SignatureCheck.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

constexpr qsizetype kilobyte = 1024;
constexpr qsizetype megabyte = 1024 * kilobyte;

enum Shape
{
    Ordinary,
    Nested,
    Attributes
};

QString repeatedTo(const QString &piece, qsizetype bytes)
{
    return piece.repeated(std::max<qsizetype>(1, bytes / piece.toUtf8().size()));
}

const QString &input(Shape shape, qsizetype bytes)
{
    static std::map<std::pair<Shape, qsizetype>, QString> cache;
    QString &html = cache[{shape, bytes}];
    if (html.isEmpty()) {
        switch (shape) {
        case Ordinary:
            html = SampleSignatures::html(bytes);
            break;
        case Nested:
            // Each end tag matches nothing: libxml2 looks for it among every open element.
            html = repeatedTo(QStringLiteral("<div>"), bytes / 2) +
                   repeatedTo(QStringLiteral("</x>"), bytes / 2);
            break;
        case Attributes: {
            QString tag = QStringLiteral("<p");
            for (int i = 0; i < 10000; ++i)
                tag += QStringLiteral(" a%1").arg(i);
            html = repeatedTo(tag + QStringLiteral(">"), bytes);
            break;
        }
        }
    }
    return html;
}

void check(benchmark::State &state, Shape shape)
{
    const QString &html = input(shape, state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(SignatureCheck::check(html, true));
    state.SetBytesProcessed(int64_t(state.iterations()) * html.toUtf8().size());
}

void BM_CheckSignature(benchmark::State &state)
{
    check(state, Ordinary);
}
void BM_CheckNested(benchmark::State &state)
{
    check(state, Nested);
}
void BM_CheckAttributes(benchmark::State &state)
{
    check(state, Attributes);
}

void sizes(benchmark::internal::Benchmark *family)
{
    family->Arg(100 * kilobyte)
        ->Arg(1 * megabyte)
        ->Arg(4 * megabyte)
        ->Arg(16 * megabyte)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
}
BENCHMARK(BM_CheckSignature)->Apply(sizes);
BENCHMARK(BM_CheckNested)->Apply(sizes);
BENCHMARK(BM_CheckAttributes)->Apply(sizes);

void printTargets(const TargetReporter &reporter)
{
    using namespace TargetReport;
    if (const auto small = reporter.seconds("BM_CheckSignature/" + std::to_string(100 * kilobyte)))
        print("notes on a 100 KB signature", milliseconds(*small), "<= 5 ms", *small <= 0.005);
    const struct
    {
        const char *name;
        const char *figure;
    } figures[] = {
        {"BM_CheckSignature", "notes, ordinary HTML"},
        {"BM_CheckNested", "notes, nesting with stray end tags"},
        {"BM_CheckAttributes", "notes, tags of 10,000 attributes"},
    };
    for (const auto &figure : figures) {
        if (const auto cost = reporter.perMegabyte(figure.name))
            print(std::string(figure.figure) + ", ms per MB at 1 / 4 / 16 MB", milliseconds(*cost),
                  "linear (per MB at 16 MB within 1.5 x of 1 MB)", isLinear(cost->one, 1, cost->sixteen, 1));
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
