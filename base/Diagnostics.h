#pragma once

#include <QString>

// Diagnostic lines on standard output: one line per call, UTF-8, line feed at
// the end, flushed at once so the order with other output is kept.
namespace Diagnostics {
void print(const QString &line);
// Drops every later line: the command line keeps its standard output for
// what it was asked for and says what failed in one line of its own.
void silence();
} // namespace Diagnostics
