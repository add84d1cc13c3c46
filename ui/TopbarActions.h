#pragma once

class ControlWebviewModel;
class MailMonitor;
class PasteModel;
class SignaturesEngine;

// The two actions of the top bar's button, in the order the user expects
// them to take effect.
class TopbarActions
{
public:
    // Reads the clipboard and, unless Mail runs at this very moment, writes
    // and locks it into the selected signature; the preview shows it once
    // it is written. A failure is the engine's to report.
    static void insertFromClipboard(PasteModel &paste, ControlWebviewModel &preview, SignaturesEngine &engine,
                                    MailMonitor &mailMonitor);

    // Opens the folder chooser; a confirmed choice brings the engine, if it
    // still exists then, to its running state.
    static void authorize(SignaturesEngine &engine);
};
