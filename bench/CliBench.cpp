// mailsig as a script runs it: process start to exit on a Mail folder of
// 1,000 signatures. list beside the list load it does inside; reapply --all
// and apply with nothing to do, as a login script would run them every time;
// an insert with its images embedded (EmbedBench).
#include "bench/EmbedBench.h"
#include "bench/MailsigRun.h"
#include "bench/SampleSignatures.h"
#include "bench/TargetReport.h"
#include "platform/PropertyList.h"
#include "tests/common/TestHome.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <map>
#include <memory>

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

// One run of mailsig with arguments per iteration.
void timeMailsig(benchmark::State &state, const std::vector<std::string> &arguments)
{
    for (auto _ : state) {
        if (!MailsigRun::run(arguments)) {
            state.SkipWithError("mailsig failed");
            break;
        }
    }
}

void BM_MailsigList(benchmark::State &state)
{
    if (enterHome(state))
        timeMailsig(state, {"list"});
}

// Every tenth signature inserted and locked, in one store or in both; the
// rest never touched by this program.
constexpr int insertedEvery = 10;
std::map<int, std::unique_ptr<SampleSignatures::MailHome>> reapplyHomes;

// What mailsig prints with these arguments, when it exits with 0.
std::optional<QString> mailsigOutput(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(BENCH_MAILSIG), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool enterReapplyHome(benchmark::State &state, int stores)
{
    auto &home = reapplyHomes[stores];
    if (!home) {
        using SampleSignatures::Stores;
        home = std::make_unique<SampleSignatures::MailHome>(
            signatures, 1500, insertedEvery, 0, stores == 2 ? Stores::LocalAndICloud : Stores::Local);
        home->enter();
        if (!home->isValid() || home->keepInserted(insertedEvery) != stores * signatures / insertedEvery) {
            home.reset();
            state.SkipWithError("could not build the sample Mail folder");
            return false;
        }
        // mailsig must see the inserted versions, so the files are really compared,
        // and find every signature as inserted, so it has nothing to do.
        const std::optional<QString> versions =
            mailsigOutput({QStringLiteral("versions"), QStringLiteral("Signature 0")});
        const std::optional<QString> reapplied =
            mailsigOutput({QStringLiteral("reapply"), QStringLiteral("--all")});
        if (!versions || versions->count(QStringLiteral("\tinserted\t")) != stores || !reapplied ||
            !reapplied->startsWith(QStringLiteral("Nothing to put back"))) {
            home.reset();
            state.SkipWithError("mailsig does not see the inserted versions, or has something to put back");
            return false;
        }
    }
    home->enter();
    return true;
}

void BM_MailsigReapply(benchmark::State &state)
{
    if (enterReapplyHome(state, int(state.range(0))))
        timeMailsig(state, {"reapply", "--all"});
}

// A Mail folder of 1,000 signatures whose list is binary, as Mail writes it
// on recent systems; `mailsig new` then rewrites it in that form.
std::unique_ptr<SampleSignatures::MailHome> binaryHome;

bool enterBinaryHome(benchmark::State &state)
{
    if (!binaryHome) {
        binaryHome = std::make_unique<SampleSignatures::MailHome>(signatures, 1500);
        const std::optional<PropertyList> list = PropertyList::fromFile(binaryHome->listFile());
        if (!binaryHome->isValid() || !list || !TestHome::write(binaryHome->listFile(), list->toData(true)) ||
            !TestHome::write(binaryHome->home() + QStringLiteral("/new.html"),
                             SampleSignatures::html(1500).toUtf8())) {
            binaryHome.reset();
            state.SkipWithError("could not build the sample Mail folder");
            return false;
        }
    }
    binaryHome->enter();
    return true;
}

// One new signature per iteration, each under a name of its own: the list
// grows by one each time, which a thousand entries hardly notice.
void BM_MailsigNew(benchmark::State &state)
{
    if (!enterBinaryHome(state))
        return;
    static int made = 0;
    const std::string file = (binaryHome->home() + QStringLiteral("/new.html")).toStdString();
    for (auto _ : state) {
        if (!MailsigRun::run({"new", "New " + std::to_string(++made), file})) {
            state.SkipWithError("mailsig new failed");
            break;
        }
    }
    const std::optional<PropertyList> list = PropertyList::fromFile(binaryHome->listFile());
    if (!list || !PropertyList::isBinary(TestHome::read(binaryHome->listFile())))
        state.SkipWithError("the list is no longer a binary property list");
}

// Both stores of 1,000 signatures, every tenth inserted, each store's map with
// an account that sends "Signature 0" and Mail's preferences choosing it: what
// a login script's apply finds on its second run.
std::unique_ptr<SampleSignatures::MailHome> applyHome;
std::string applyInput;

bool enterApplyHome(benchmark::State &state)
{
    if (!applyHome) {
        using SampleSignatures::Stores;
        applyHome = std::make_unique<SampleSignatures::MailHome>(signatures, 1500, insertedEvery, 0,
                                                                 Stores::LocalAndICloud);
        applyHome->enter();
        const QString input = applyHome->home() + QStringLiteral("/signature.html");
        const QString preferences =
            applyHome->home() + QStringLiteral("/Library/Containers/com.apple.mail/Data/Library/Preferences");
        bool ready = applyHome->isValid() && applyHome->keepInserted(insertedEvery) > 0 &&
                     QDir().mkpath(preferences) &&
                     TestHome::write(preferences + QStringLiteral("/com.apple.mail.plist"),
                                     "<plist><dict><key>OtherKey</key><true/></dict></plist>");
        for (const QString &folder : {applyHome->signaturesFolder(), applyHome->iCloudSignaturesFolder()})
            ready = ready &&
                    TestHome::write(folder + QStringLiteral("/AccountsMap.plist"),
                                    TestHome::accountsMap(TestHome::account(
                                        QStringLiteral("A1"), QStringLiteral("imap://jane%40example.com@x/"),
                                        {applyHome->id(0)})));
        const std::optional<QString> html =
            mailsigOutput({QStringLiteral("show"), QStringLiteral("Signature 0")});
        ready = ready && html && TestHome::write(input, html->toUtf8());
        applyInput = input.toStdString();
        // The first run makes it the account's choice; the second must find nothing to do.
        const QStringList apply = {
            QStringLiteral("apply"),     QStringLiteral("Signature 0"),      input,
            QStringLiteral("--account"), QStringLiteral("jane@example.com"), QStringLiteral("--default")};
        const std::optional<QString> first = ready ? mailsigOutput(apply) : std::nullopt;
        const std::optional<QString> again = first ? mailsigOutput(apply) : std::nullopt;
        if (!again || !again->contains(QStringLiteral("in use as asked"))) {
            applyHome.reset();
            state.SkipWithError("could not build the sample Mail folder, or apply still has something to do");
            return false;
        }
    }
    applyHome->enter();
    return true;
}

void BM_MailsigListBoth(benchmark::State &state)
{
    if (enterApplyHome(state))
        timeMailsig(state, {"list"});
}

void BM_MailsigApplyNothing(benchmark::State &state)
{
    if (enterApplyHome(state))
        timeMailsig(state,
                    {"apply", "Signature 0", applyInput, "--account", "jane@example.com", "--default"});
}

// Medians of five repetitions: the machine is shared.
void medianOfFive(benchmark::internal::Benchmark *family)
{
    family->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_ListLoad)->Apply(medianOfFive);
BENCHMARK(BM_MailsigList)->Apply(medianOfFive);
BENCHMARK(BM_MailsigReapply)->ArgName("stores")->Arg(1)->Arg(2)->Apply(medianOfFive);
BENCHMARK(BM_MailsigNew)->Apply(medianOfFive);
BENCHMARK(BM_MailsigListBoth)->Apply(medianOfFive);
BENCHMARK(BM_MailsigApplyNothing)->Apply(medianOfFive);

} // namespace

int main(int argc, char **argv)
{
    // mailsig's names, so the versions kept here are the ones it reads.
    QCoreApplication::setOrganizationName(QStringLiteral(SIGNATURES_ORGANIZATION_NAME));
    QCoreApplication::setOrganizationDomain(QStringLiteral(SIGNATURES_ORGANIZATION_DOMAIN));
    QCoreApplication::setApplicationName(QStringLiteral(SIGNATURES_APPLICATION_NAME));
    QCoreApplication application(argc, argv);
    TargetReporter reporter;
    const int status = TargetReport::run(argc, argv, reporter);
    using namespace TargetReport;
    const auto load = reporter.seconds("BM_ListLoad");
    const auto process = reporter.seconds("BM_MailsigList");
    if (load && process) {
        print("mailsig list, 1,000 signatures, process start to exit",
              milliseconds(*process) + " (list load " + milliseconds(*load) + ")", "<= 3 x the list load",
              *process <= 3 * *load);
        print("mailsig list, 1,000 signatures, process start to exit", milliseconds(*process), "<= 100 ms",
              *process <= 0.100);
    }
    for (const int stores : {1, 2}) {
        const auto reapply = reporter.seconds("BM_MailsigReapply/stores:" + std::to_string(stores));
        if (reapply)
            print(std::string("mailsig reapply --all, nothing to do, 1,000 signatures, ") +
                      (stores == 1 ? "one store" : "both stores"),
                  milliseconds(*reapply), "<= 100 ms", *reapply <= 0.100);
    }
    if (const auto made = reporter.seconds("BM_MailsigNew"))
        print("mailsig new, 1,000 signatures in a binary list, process start to exit", milliseconds(*made),
              "<= 150 ms", *made <= 0.150);
    const auto list = reporter.seconds("BM_MailsigListBoth");
    const auto apply = reporter.seconds("BM_MailsigApplyNothing");
    if (list && apply)
        print("mailsig apply, nothing to do, 1,000 signatures in both stores, process start to exit",
              milliseconds(*apply) + " (list " + milliseconds(*list) + ")", "<= 1.2 x mailsig list",
              *apply <= 1.2 * *list);
    EmbedBench::report(reporter);
    home.reset();
    reapplyHomes.clear();
    binaryHome.reset();
    applyHome.reset();
    return status;
}
