// Cost of one Mail-monitor poll (the running-application query) with many
// processes on the machine, a few of them running from application bundles.
#include "platform/nix/NixRunningApplications.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

QTemporaryDir *bundles = nullptr;
std::vector<pid_t> children;
QByteArray mailExecutable;
QByteArray otherExecutable;

QByteArray makeBundle(const QString &name, const QString &identifier)
{
    const QString contents = bundles->path() + QLatin1Char('/') + name + QStringLiteral(".app/Contents");
    QDir().mkpath(contents + QStringLiteral("/MacOS"));
    QFile plist(contents + QStringLiteral("/Info.plist"));
    if (plist.open(QIODevice::WriteOnly)) {
        plist.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                    "\t<key>CFBundleIdentifier</key>\n\t<string>" +
                    identifier.toUtf8() + "</string>\n</dict>\n</plist>\n");
    }
    const QString executable = contents + QStringLiteral("/MacOS/") + name;
    QFile::copy(QStringLiteral("/bin/sleep"), executable);
    QFile::setPermissions(executable, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return QFile::encodeName(executable);
}

void spawn(const QByteArray &program)
{
    char seconds[] = "600";
    char *argv[] = {const_cast<char *>(program.constData()), seconds, nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, environ) == 0)
        children.push_back(pid);
}

// Grows the machine's process count to at least total, mixing plain programs
// with one Mail and a handful of other bundled applications.
void ensureProcesses(int total)
{
    if (!bundles) {
        bundles = new QTemporaryDir;
        mailExecutable = makeBundle(QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
        otherExecutable = makeBundle(QStringLiteral("Other"), QStringLiteral("org.example.other"));
        spawn(mailExecutable);
    }
    int running = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        entry.toInt(&isNumber);
        running += isNumber ? 1 : 0;
    }
    for (int i = running; i < total; ++i)
        spawn(i % 10 == 0 ? otherExecutable : QByteArrayLiteral("/bin/sleep"));
}

void countProcesses(benchmark::State &state)
{
    ensureProcesses(int(state.range(0)));
    int processes = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        entry.toInt(&isNumber);
        processes += isNumber ? 1 : 0;
    }
    state.counters["processes"] = processes;
}

// A poll as the monitor runs it every second: the bundle cache is warm.
void BM_PollWarm(benchmark::State &state)
{
    countProcesses(state);
    NixRunningApplications applications;
    applications.countWithBundleIdentifier(QStringLiteral("com.apple.mail"));
    for (auto _ : state)
        benchmark::DoNotOptimize(applications.countWithBundleIdentifier(QStringLiteral("com.apple.mail")));
}

// The first poll (run last, at the largest count): every bundle's Info.plist is read and parsed.
void BM_PollCold(benchmark::State &state)
{
    countProcesses(state);
    for (auto _ : state) {
        NixRunningApplications applications;
        benchmark::DoNotOptimize(applications.countWithBundleIdentifier(QStringLiteral("com.apple.mail")));
    }
}

BENCHMARK(BM_PollWarm)->Arg(100)->Arg(300)->Arg(600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PollCold)->Arg(600)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (pid_t pid : children)
        ::kill(pid, SIGKILL);
    for (pid_t pid : children)
        ::waitpid(pid, nullptr, 0);
    delete bundles;
    return 0;
}
