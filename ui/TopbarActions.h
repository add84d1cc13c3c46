#pragma once

#include <QString>

class MailMonitor;
class PasteModel;
class SignaturesEngine;

// The two actions of the top bar's button, in the order the user expects
// them to take effect.
class TopbarActions
{
public:
    // Reads the clipboard and, unless Mail runs at this very moment, writes
    // and locks it into the selected signature; the preview shows the file
    // once it is written. Any refusal or failure is said in the top bar.
    static void insertFromClipboard(PasteModel &paste, SignaturesEngine &engine, MailMonitor &mailMonitor);

    // What the top bar says when a click finds Mail running after all.
    static QString mailRunningRefusal();

    // Opens the folder chooser; a confirmed choice brings the engine, if it
    // still exists then, to its running state.
    static void authorize(SignaturesEngine &engine);
};
