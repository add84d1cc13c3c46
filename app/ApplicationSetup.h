#pragma once

// What must be settled before the QApplication exists, shared by the program
// and by everything that starts its window the same way (tests, benchmarks).
namespace ApplicationSetup {
// The web engine's sandbox cannot run as root; shared GL contexts for the web
// view; the names under which the folder grant is remembered.
void prepare();
} // namespace ApplicationSetup
