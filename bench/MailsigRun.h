#pragma once

#include <string>
#include <vector>

// mailsig run as a script runs it, for the command-line benchmarks.
namespace MailsigRun {
// One whole run of mailsig with arguments, its output thrown away; whether it exited with 0.
bool run(std::vector<std::string> arguments);
} // namespace MailsigRun
