#pragma once

class ControlWebviewModel;
class PasteModel;
class SignaturesEngine;

// The two actions of the top bar's button, in the order the user expects
// them to take effect.
class TopbarActions
{
public:
    // Reads the clipboard; with text in hand shows it in the preview at once,
    // then writes and locks it into the selected signature.
    static void insertFromClipboard(PasteModel &paste, ControlWebviewModel &preview, SignaturesEngine &engine);

    // Opens the folder chooser; a confirmed choice brings the engine, if it
    // still exists then, to its running state.
    static void authorize(SignaturesEngine &engine);
};
