#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Marks of a process's start-up, printed as "mark <name> <ms>" where ms counts
// from the moment the harness started the process (BENCH_SPAWN_NS, a
// CLOCK_MONOTONIC reading in nanoseconds) or, without it, from the process's
// start as the kernel records it (10 ms steps).
namespace StartMarks {

double sinceStartMs();
void print(const char *name);

// Prints `name` once, just after the first paint of `widget` has been
// handled, when `ready` (if given) holds at that paint; calls done then.
void afterFirstPaint(QWidget *widget, const char *name, std::function<bool()> ready,
                     std::function<void()> done);

// Prints `name` once, just after the window of the top-level `widget` is
// first exposed and painted; calls done then. Call before showing it.
void afterFirstExpose(QWidget *widget, const char *name, std::function<void()> done);

// The variable that carries the harness's start time.
constexpr const char *spawnVariable = "BENCH_SPAWN_NS";

} // namespace StartMarks
