#include "bench/ProcessTree.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Fields of /proc/<pid>/stat after the command name: [0] is the state.
QList<QByteArray> statFields(const QByteArray &stat)
{
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ');
}

double statusValue(const QByteArray &status, const QByteArray &key)
{
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').first().toDouble();
    }
    return 0;
}

} // namespace

namespace ProcessTree {

// Context switches since `before`, thread by thread: a thread that ends in
// between takes its count with it, so whole-process sums can run backwards.
double switchesSince(const Sample &after, const Sample *before)
{
    double total = 0;
    for (const auto &[tid, switches] : after.switchesByThread) {
        const auto earlier = before ? before->switchesByThread.find(tid) : after.switchesByThread.end();
        total += switches - (before && earlier != before->switchesByThread.end() ? earlier->second : 0);
    }
    return total;
}

// The process and everything it started, by pid.
std::map<int, Sample> sampleTree(int root)
{
    std::map<int, int> parentOf;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const int pid = entry.toInt(&isPid);
        if (!isPid)
            continue;
        const QList<QByteArray> fields = statFields(readAll(QStringLiteral("/proc/%1/stat").arg(pid)));
        if (fields.size() > 1)
            parentOf[pid] = fields[1].toInt();
    }
    auto inTree = [&](int pid) {
        for (int hops = 0; pid > 1 && hops < 64; ++hops) {
            if (pid == root)
                return true;
            pid = parentOf.count(pid) ? parentOf[pid] : 0;
        }
        return false;
    };
    std::map<int, Sample> samples;
    for (const auto &[pid, parent] : parentOf) {
        if (!inTree(pid))
            continue;
        const QString base = QStringLiteral("/proc/%1").arg(pid);
        const QByteArray stat = readAll(base + QStringLiteral("/stat"));
        const QList<QByteArray> fields = statFields(stat);
        if (fields.size() < 13)
            continue;
        Sample sample;
        const QByteArray cmdline = readAll(base + QStringLiteral("/cmdline"));
        const QByteArray program = cmdline.left(cmdline.indexOf('\0'));
        const qsizetype type = cmdline.indexOf("--type=");
        sample.name = QFileInfo(QString::fromLocal8Bit(program)).fileName();
        if (type >= 0) {
            QString kind =
                QString::fromLocal8Bit(cmdline.mid(type + 7, cmdline.indexOf('\0', type) - type - 7));
            // Renderers are forked from a zygote and keep its command line.
            if (kind == u"zygote" && samples.count(parent) && samples[parent].name.contains(u"zygote"))
                kind = QStringLiteral("renderer");
            sample.name += QStringLiteral(" (") + kind + QLatin1Char(')');
        }
        // utime and stime, fields 14 and 15 of the whole line.
        sample.cpuTicks = fields[11].toDouble() + fields[12].toDouble();
        sample.rssKiB = statusValue(readAll(base + QStringLiteral("/status")), "VmRSS");
        for (const QString &task :
             QDir(base + QStringLiteral("/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QByteArray status =
                readAll(base + QStringLiteral("/task/") + task + QStringLiteral("/status"));
            sample.switchesByThread[task.toInt()] = statusValue(status, "voluntary_ctxt_switches") +
                                                    statusValue(status, "nonvoluntary_ctxt_switches");
        }
        samples[pid] = sample;
    }
    return samples;
}

} // namespace ProcessTree
