#pragma once

// What must be settled before the QApplication exists, shared by the program
// and by everything that starts its window the same way (tests, benchmarks).
namespace ApplicationSetup {
// As root, switches the web engine's sandbox off, which cannot run as root,
// and says so in one line.
void allowWebEngineAsRoot();
// allowWebEngineAsRoot(); shared GL contexts where the web engine needs them;
// the names under which the folder grant is remembered.
void prepare();
} // namespace ApplicationSetup
