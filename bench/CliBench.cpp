// mailsig list as a script runs it: process start to exit on a Mail folder of
// 1,000 signatures, beside the list load it does inside.
#include "bench/SampleSignatures.h"
#include "bench/TargetReport.h"
#include "tests/common/TestHome.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int signatures = 1000;
std::unique_ptr<SampleSignatures::MailHome> home;

bool enterHome(benchmark::State &state)
{
    if (!home)
        home = std::make_unique<SampleSignatures::MailHome>(signatures, 1500, 10);
    if (!home->isValid()) {
        state.SkipWithError("could not build the sample Mail folder");
        return false;
    }
    home->enter();
    return true;
}

void BM_ListLoad(benchmark::State &state)
{
    if (!enterHome(state))
        return;
    const auto engine = grantedEngine(); // no chooser, no real monitor: the benchmark loads
    for (auto _ : state)
        engine->loadSignatures();
}

// One whole run of mailsig list, its output thrown away, per iteration.
void BM_MailsigList(benchmark::State &state)
{
    if (!enterHome(state))
        return;
    char program[] = BENCH_MAILSIG;
    char list[] = "list";
    char *argv[] = {program, list, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (::posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("mailsig list failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

// Medians of five repetitions: the machine is shared.
void medianOfFive(benchmark::internal::Benchmark *family)
{
    family->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_ListLoad)->Apply(medianOfFive);
BENCHMARK(BM_MailsigList)->Apply(medianOfFive);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    TargetReporter reporter;
    const int status = TargetReport::run(argc, argv, reporter);
    const auto load = reporter.seconds("BM_ListLoad");
    const auto process = reporter.seconds("BM_MailsigList");
    if (load && process) {
        using namespace TargetReport;
        print("mailsig list, 1,000 signatures, process start to exit",
              milliseconds(*process) + " (list load " + milliseconds(*load) + ")", "<= 3 x the list load",
              *process <= 3 * *load);
        print("mailsig list, 1,000 signatures, process start to exit", milliseconds(*process), "<= 100 ms",
              *process <= 0.100);
    }
    home.reset();
    return status;
}
