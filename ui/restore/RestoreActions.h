#pragma once

#include <QString>

class MailMonitor;
class SignaturesEngine;

// What choosing and restoring in the restore dialog do.
namespace RestoreActions {
// Has the preview show a kept version instead of the signature, without
// writing anything.
void show(SignaturesEngine &engine, const QString &versionFile);

// Writes the version back into the selected signature unless Mail runs
// at this moment (the top bar then says so); the preview then shows the
// file as it is.
void restore(SignaturesEngine &engine, MailMonitor &mailMonitor, const QString &versionFile);
} // namespace RestoreActions
