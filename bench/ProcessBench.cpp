// Whole-process figures, each on a sample Mail folder in a temporary home
// with a stored grant, so the window goes straight to the list:
//
//   bench_process start [RUNS]                 start-up marks of the program
//                                              and of the floor windows
//   bench_process idle [SECONDS] [PROCESSES]   CPU, wake-ups and memory of the
//                                              open, untouched window with
//                                              PROCESSES extra processes running
#include "access/FolderAccess.h"
#include "bench/ProcessTree.h"
#include "bench/SampleSignatures.h"
#include "bench/StartMarks.h"
#include "bench/TargetReport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString fixed(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}

std::string text(const QString &value)
{
    return value.toStdString();
}

// --- start-up --------------------------------------------------------------

// Runs program once, with extra environment variables, and returns its marks in milliseconds.
QMap<QString, double> marksOf(const QString &program, const QMap<QString, QString> &extra = {})
{
    QProcess process;
    process.setProgram(program);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = extra.begin(); it != extra.end(); ++it)
        environment.insert(it.key(), it.value());
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    environment.insert(QLatin1String(StartMarks::spawnVariable),
                       QString::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec));
    process.setProcessEnvironment(environment);
    process.start();
    QMap<QString, double> marks;
    if (!process.waitForFinished(90000)) {
        process.kill();
        process.waitForFinished();
        return marks;
    }
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() == 3 && words[0] == "mark")
            marks.insert(QString::fromUtf8(words[1]), words[2].toDouble());
    }
    return marks;
}

QString ratioText(double value, double floor)
{
    return fixed(value) + QStringLiteral(" ms (floor ") + fixed(floor) + QStringLiteral(" ms) = ") +
           fixed(value / floor, 2) + QStringLiteral(" x");
}

int startup(int runs)
{
    // The web engine's libraries as a program that links them loads them at start.
    const QMap<QString, QString> webEngineLoaded{
        {QStringLiteral("LD_PRELOAD"), QStringLiteral("libQt6WebEngineWidgets.so.6")}};
    // The shared OpenGL context the web engine needs: the application object
    // makes it when asked to beforehand, as the program does.
    const QMap<QString, QString> sharedContext{
        {QStringLiteral("BENCH_SHARE_OPENGL_CONTEXTS"), QStringLiteral("1")}};
    struct Start
    {
        const char *name;
        QString program;
        QMap<QString, QString> environment;
        QStringList marks;
    };
    const QStringList listMarks{"main", "application-made", "window-built", "list-shown"};
    const QStringList appMarks = listMarks + QStringList{"window-shown", "preview-ready"};
    const QList<Start> starts = {
        {"floor-webview", QStringLiteral(BENCH_FLOOR_WINDOW), {}, {"window-shown", "preview-ready"}},
        {"floor-list", QStringLiteral(BENCH_FLOOR_LIST), {}, listMarks},
        {"floor-list+webengine-libraries", QStringLiteral(BENCH_FLOOR_LIST), webEngineLoaded, {"list-shown"}},
        {"floor-list+shared-opengl-context", QStringLiteral(BENCH_FLOOR_LIST), sharedContext, listMarks},
        {"app", QStringLiteral(BENCH_APP_START), {}, appMarks},
    };
    std::map<QString, std::vector<double>> medians;
    // One start of each first, not counted: it fills the file caches and
    // creates the web engine's profile folders.
    for (int i = 0; i <= runs; ++i) {
        std::printf("run %d%s:", i, i == 0 ? " (warm-up)" : "");
        for (const Start &start : starts) {
            const QMap<QString, double> marks = marksOf(start.program, start.environment);
            std::printf(" | %s", start.name);
            for (const QString &mark : start.marks) {
                if (!marks.contains(mark)) {
                    std::fprintf(stderr, "\n%s did not print %s\n", start.name, qPrintable(mark));
                    return 1;
                }
                std::printf(" %s %.1f", qPrintable(mark), marks.value(mark));
                if (i > 0)
                    medians[QLatin1String(start.name) + u' ' + mark].push_back(marks.value(mark));
            }
        }
        std::printf(" ms\n");
        std::fflush(stdout);
    }
    const auto m = [&](const char *key) { return median(medians[QLatin1String(key)]); };
    std::printf("medians of %d starts (ms):\n", runs);
    for (const auto &[key, values] : medians)
        std::printf("  %-50s %8.1f\n", qPrintable(key), median(values));
    const double listShown = m("app list-shown");
    const double listFloor = m("floor-list list-shown");
    const double appReady = m("app preview-ready");
    const double webFloor = m("floor-webview preview-ready");
    TargetReport::print("process start to list shown (floor: plain Qt Widgets window with a list)",
                        text(ratioText(listShown, listFloor)), "<= 1.5 x floor",
                        listShown <= 1.5 * listFloor);
    TargetReport::print("process start to preview ready (floor: bare window with one web view, page loaded)",
                        text(ratioText(appReady, webFloor)), "<= 1.0 x floor", appReady <= webFloor);
    TargetReport::print(
        "cost of loading the web engine's libraries at start (plain list window)",
        text(fixed(m("floor-list+webengine-libraries list-shown") - listFloor) + QStringLiteral(" ms")),
        "reported", true);
    const double contextFloor = m("floor-list+shared-opengl-context list-shown");
    TargetReport::print("cost of the shared OpenGL context made at start (plain list window)",
                        text(fixed(contextFloor - listFloor) + QStringLiteral(" ms")), "reported", true);
    TargetReport::print("process start to list shown (floor: plain list window with that context)",
                        text(ratioText(listShown, contextFloor)), "reported", true);
    return 0;
}

// --- idle ------------------------------------------------------------------

pid_t spawn(const std::vector<QByteArray> &arguments, const char *output)
{
    std::vector<char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

void stop(pid_t pid, int signal)
{
    if (pid <= 0)
        return;
    ::kill(pid, signal);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        QThread::msleep(50);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

int idle(const QString &home, int seconds, int extraProcesses, int settleSeconds)
{
    std::vector<pid_t> sleepers;
    const QByteArray sleepProgram = QByteArrayLiteral("/bin/sleep");
    const QByteArray sleepTime = QByteArray::number(seconds + settleSeconds + 120);
    for (int i = 0; i < extraProcesses; ++i) {
        const pid_t pid = spawn({sleepProgram, sleepTime}, "/dev/null");
        if (pid > 0)
            sleepers.push_back(pid);
    }
    int processes = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
        processes += entry.toInt() > 0 ? 1 : 0;

    const QByteArray log = QFile::encodeName(home + QStringLiteral("/program-output.txt"));
    const pid_t app = spawn({QByteArrayLiteral(BENCH_PROGRAM)}, log.constData());
    if (app <= 0) {
        std::fprintf(stderr, "could not start the program\n");
        return 1;
    }
    std::printf(
        "program %d started with %d processes on the machine; settling for %d s, then measuring %d s\n",
        int(app), processes, settleSeconds, seconds);
    std::fflush(stdout);
    QThread::sleep(settleSeconds);

    timespec begin{};
    ::clock_gettime(CLOCK_MONOTONIC, &begin);
    const std::map<int, ProcessTree::Sample> before = ProcessTree::sampleTree(app);
    QThread::sleep(seconds);
    timespec end{};
    ::clock_gettime(CLOCK_MONOTONIC, &end);
    const std::map<int, ProcessTree::Sample> after = ProcessTree::sampleTree(app);
    const double elapsed = double(end.tv_sec - begin.tv_sec) + double(end.tv_nsec - begin.tv_nsec) / 1e9;
    const double ticksPerSecond = double(::sysconf(_SC_CLK_TCK));

    const bool alive = ::waitpid(app, nullptr, WNOHANG) == 0;
    QFile logFile(QString::fromLocal8Bit(log));
    const QByteArray output = logFile.open(QIODevice::ReadOnly) ? logFile.readAll() : QByteArray();
    stop(app, SIGTERM);
    for (pid_t pid : sleepers)
        ::kill(pid, SIGKILL);
    for (pid_t pid : sleepers)
        ::waitpid(pid, nullptr, 0);

    if (!alive || !output.contains("Security scoped resource accessed.")) {
        std::fprintf(stderr, "the program did not open on the sample folder:\n%s\n", output.constData());
        return 1;
    }

    double cpuTicks = 0;
    double switches = 0;
    double mainRss = 0;
    double engineRss = 0;
    std::printf("%-8s %-40s %8s %12s %10s\n", "pid", "process", "CPU %", "wake-ups/s", "RSS MiB");
    for (const auto &[pid, last] : after) {
        const auto first = before.find(pid);
        const double ticks = last.cpuTicks - (first != before.end() ? first->second.cpuTicks : 0);
        const double wakeups =
            ProcessTree::switchesSince(last, first != before.end() ? &first->second : nullptr);
        cpuTicks += ticks;
        switches += wakeups;
        (pid == app ? mainRss : engineRss) += last.rssKiB;
        std::printf("%-8d %-40s %8.3f %12.2f %10.1f\n", pid, qPrintable(last.name),
                    100.0 * ticks / ticksPerSecond / elapsed, wakeups / elapsed, last.rssKiB / 1024);
    }
    const double cpuPercent = 100.0 * cpuTicks / ticksPerSecond / elapsed;
    std::printf("idle for %.1f s with %d processes on the machine: CPU %.3f %% of one core, %.1f wake-ups/s, "
                "RSS main %.1f MiB, web engine %.1f MiB (%zu processes)\n",
                elapsed, processes, cpuPercent, switches / elapsed, mainRss / 1024, engineRss / 1024,
                after.size() - 1);
    const std::string label = " (" + std::to_string(int(elapsed + 0.5)) + " s, " + std::to_string(processes) +
                              " processes running)";
    TargetReport::print("idle CPU, program and web engine" + label,
                        text(fixed(cpuPercent, 3) + QStringLiteral(" %")), "< 0.5 % of one core",
                        cpuPercent < 0.5);
    TargetReport::print("idle wake-ups per second, all threads" + label, text(fixed(switches / elapsed, 1)),
                        "-", true);
    TargetReport::print("resident memory, main process", text(fixed(mainRss / 1024) + QStringLiteral(" MiB")),
                        "-", true);
    TargetReport::print("resident memory, web engine processes (" + std::to_string(after.size() - 1) + ")",
                        text(fixed(engineRss / 1024) + QStringLiteral(" MiB")), "-", true);
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: bench_process start [RUNS]\n"
                         "       bench_process idle [SECONDS] [EXTRA_PROCESSES] [SETTLE_SECONDS]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    auto number = [&](int index, int fallback) {
        return argc > index ? std::max(0, std::atoi(argv[index])) : fallback;
    };
    if (command != u"start" && command != u"idle")
        return usage();

    // Three signatures, one locked, as in the demo.
    SampleSignatures::MailHome home(3, 1500, 3);
    if (!home.isValid()) {
        std::fprintf(stderr, "could not build the sample Mail folder\n");
        return 1;
    }
    home.enter();
    QCoreApplication::setOrganizationName(QStringLiteral("Vellix"));
    QCoreApplication::setApplicationName(QStringLiteral("Vellix Mail"));
    QCoreApplication application(argc, argv);
    // As if the folder had been authorised on an earlier start.
    FolderAccess::saveFolderBookmark(home.home() + QStringLiteral("/Library/Mail"));

    if (command == u"start")
        return startup(std::max(1, number(2, 7)));
    return idle(home.home(), std::max(1, number(2, 60)), number(3, 500), number(4, 10));
}
