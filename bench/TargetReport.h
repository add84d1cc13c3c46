#pragma once

#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

// Prints Google Benchmark's usual table and keeps the runs, so a benchmark's
// main can set each figure beside its target afterwards.
// Seconds per MB of one benchmark run at 1, 4 and 16 MB.
struct PerMegabyte
{
    double one;
    double four;
    double sixteen;
};

class TargetReporter : public benchmark::ConsoleReporter
{
public:
    // Colours only on a terminal, so saved output stays plain text.
    TargetReporter();

    void ReportRuns(const std::vector<Run> &runs) override;

    // Real time per iteration of the named run, in seconds: the median of its
    // repetitions when it has several.
    std::optional<double> seconds(const std::string &name) const;
    // A counter the named run set, as seconds() picks the run.
    std::optional<double> counter(const std::string &name, const std::string &counter) const;
    // The named benchmark's cost per MB, from its runs with arguments of 1, 4
    // and 16 MB, when all three ran.
    std::optional<PerMegabyte> perMegabyte(const std::string &name) const;

private:
    const Run *find(const std::string &name) const;

    std::vector<Run> m_runs;
};

namespace TargetReport {

// One line that scripts/bench gathers into its summary:
// "TARGET | figure | value | target | met" (or "MISSED").
void print(const std::string &figure, const std::string &value, const std::string &target, bool met);

std::string milliseconds(double seconds);
std::string microseconds(double seconds);
// "1.23 x": how many times one figure is another.
std::string times(double ratio);
// "1.00 ms / 1.10 ms / 1.20 ms", at 1, 4 and 16 MB.
std::string milliseconds(const PerMegabyte &cost);

// Whether cost grows no faster than linearly: the per-unit cost at the
// largest size is at most `slack` times the per-unit cost at the smallest.
bool isLinear(double smallSeconds, double smallN, double largeSeconds, double largeN, double slack = 1.5);

// Runs every benchmark the command line selects through `reporter`.
int run(int argc, char **argv, TargetReporter &reporter);

// The value at fraction (0.5: the median) of values, nearest rank.
double percentile(std::vector<double> values, double fraction);

} // namespace TargetReport
