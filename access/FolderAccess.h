#pragma once

#include <QString>

class QWidget;

#include <functional>
#include <optional>

// Access to Mail's folder: restored at start-up from the bookmark kept in the
// settings, or asked for through a folder chooser and then remembered.
// Main thread only.
class FolderAccess
{
public:
    // The folder the stored bookmark opens, or none when there is no usable
    // bookmark. Prints what happened on the way.
    static std::optional<QString> restoreFolderAccess();

    // Opens the folder chooser, modal to window when there is one (once the
    // window is on screen), and returns at once. completion runs exactly
    // once, when the chooser closes, with whether Mail's folder can now be
    // read; a confirmed choice is saved as the bookmark. There is one chooser
    // at a time: a request while it is open brings it to the front and
    // waits for its answer.
    static void requestFolderAccess(std::function<void(bool granted)> completion, QWidget *window = nullptr);

    // requestFolderAccess() after a stored bookmark stopped opening Mail's
    // folder: first a notice says so in one sentence and names the other way
    // in (Full Disk Access, with a button to its settings pane where the
    // system has one); the chooser opens when the notice is closed.
    static void requestFolderAccessAgain(std::function<void(bool granted)> completion,
                                         QWidget *window = nullptr);

    // Stores a bookmark of folder in the settings, replacing any earlier one.
    static void saveFolderBookmark(const QString &folder);

    // The settings key of the bookmark blob.
    static constexpr const char *bookmarkKey = "MailFolderBookmark3";
    // The chooser's object name, so it can be found among the top-level widgets.
    static constexpr const char *chooserObjectName = "MailFolderChooser";
    // The notice's object name, likewise.
    static constexpr const char *grantLostObjectName = "MailFolderGrantLost";
};
