#pragma once

#include <QString>

class ControlWebviewModel;
class MailMonitor;
class SignaturesEngine;

// What choosing, restoring and cancelling in the restore dialog do.
namespace RestoreActions {
// Shows a kept version in the preview, without writing anything.
void show(ControlWebviewModel &preview, const QString &versionFile);

// Writes the version back into the selected signature unless Mail runs
// at this moment (the top bar then says so); the preview then shows the
// file as it is.
void restore(SignaturesEngine &engine, ControlWebviewModel &preview, MailMonitor &mailMonitor,
             const QString &versionFile);

// Puts the preview back to the selected signature as it was read.
void showCurrent(SignaturesEngine &engine, ControlWebviewModel &preview);
} // namespace RestoreActions
