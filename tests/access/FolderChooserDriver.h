#pragma once

#include <QList>
#include <QString>

class QFileDialog;
class QPushButton;

// Drives the folder chooser the way a user would: it is found among the
// top-level windows, pointed at a folder and answered with its buttons.
class FolderChooserDriver
{
public:
    // The choosers currently on screen, oldest first.
    static QList<QFileDialog *> openChoosers();
    static QPushButton *button(QFileDialog *chooser, const QString &text);

    // Navigates to folder and presses "Authorize"; false when that was not possible.
    static bool confirm(QFileDialog *chooser, const QString &folder);
    static bool cancel(QFileDialog *chooser);
    // Cancels whatever choosers are still open and lets them go away.
    static void closeAll();
};
