#pragma once

#include <QString>

#include <map>

// What /proc says of a process and everything it started: CPU time, context
// switches thread by thread, resident memory.
namespace ProcessTree {

struct Sample
{
    QString name;
    double cpuTicks = 0;
    std::map<int, double> switchesByThread;
    double rssKiB = 0;
};

// Context switches since `before`, thread by thread: a thread that ends in
// between takes its count with it, so whole-process sums can run backwards.
double switchesSince(const Sample &after, const Sample *before);

// The process and everything it started, by pid.
std::map<int, Sample> sampleTree(int root);

} // namespace ProcessTree
