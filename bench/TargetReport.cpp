#include "bench/TargetReport.h"

#include <algorithm>

#include <cstdio>
#include <unistd.h>

TargetReporter::TargetReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void TargetReporter::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    m_runs.insert(m_runs.end(), runs.begin(), runs.end());
}

const benchmark::BenchmarkReporter::Run *TargetReporter::find(const std::string &name) const
{
    const Run *single = nullptr;
    for (const Run &run : m_runs) {
        // Named without the "/real_time" and similar suffixes.
        const std::string args = run.run_name.args.empty() ? std::string() : "/" + run.run_name.args;
        if (run.error_occurred || run.run_name.function_name + args != name)
            continue;
        // With repetitions, their median speaks for the benchmark.
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            return &run;
        if (run.run_type == Run::RT_Iteration && !single)
            single = &run;
    }
    return single;
}

std::optional<double> TargetReporter::seconds(const std::string &name) const
{
    const Run *run = find(name);
    if (!run)
        return std::nullopt;
    return run->GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run->time_unit);
}

std::optional<double> TargetReporter::counter(const std::string &name, const std::string &counter) const
{
    const Run *run = find(name);
    if (!run)
        return std::nullopt;
    const auto found = run->counters.find(counter);
    if (found == run->counters.end())
        return std::nullopt;
    return found->second.value;
}

std::optional<PerMegabyte> TargetReporter::perMegabyte(const std::string &name) const
{
    constexpr long megabyte = 1024 * 1024;
    const auto one = seconds(name + "/" + std::to_string(1 * megabyte));
    const auto four = seconds(name + "/" + std::to_string(4 * megabyte));
    const auto sixteen = seconds(name + "/" + std::to_string(16 * megabyte));
    if (!one || !four || !sixteen)
        return std::nullopt;
    return PerMegabyte{*one, *four / 4, *sixteen / 16};
}

namespace TargetReport {

void print(const std::string &figure, const std::string &value, const std::string &target, bool met)
{
    std::printf("TARGET | %s | %s | %s | %s\n", figure.c_str(), value.c_str(), target.c_str(),
                met ? "met" : "MISSED");
    std::fflush(stdout);
}

std::string milliseconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    return text;
}

std::string microseconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    return text;
}

std::string times(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f x", ratio);
    return text;
}

std::string milliseconds(const PerMegabyte &cost)
{
    return milliseconds(cost.one) + " / " + milliseconds(cost.four) + " / " + milliseconds(cost.sixteen);
}

bool isLinear(double smallSeconds, double smallN, double largeSeconds, double largeN, double slack)
{
    return largeSeconds / largeN <= slack * (smallSeconds / smallN);
}

int run(int argc, char **argv, TargetReporter &reporter)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace TargetReport

double TargetReport::percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}
