#pragma once

#include <QList>
#include <QString>

class QFileDialog;

// Drives the folder chooser through its widgets, as a user would.
struct FolderChooserDriver
{
    static QList<QFileDialog *> openChoosers();
    // Navigates to folder and presses "Authorize"; false when that was not possible.
    static bool confirm(QFileDialog *chooser, const QString &folder);
    static bool cancel(QFileDialog *chooser);
    static void closeAll(); // cancels those still open and lets them go away
};
