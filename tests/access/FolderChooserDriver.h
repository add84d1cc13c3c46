#pragma once

#include "access/FolderAccess.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// Drives the folder chooser through its widgets, as a user would.
namespace FolderChooserDriver {

inline bool press(QFileDialog *chooser, const QString &text)
{
    for (QPushButton *button : chooser->findChildren<QPushButton *>())
        if (button->text() == text && button->isVisible() && button->isEnabled())
            return QTest::mouseClick(button, Qt::LeftButton), true;
    return false;
}

inline QList<QFileDialog *> openChoosers()
{
    QList<QFileDialog *> choosers;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *chooser = qobject_cast<QFileDialog *>(widget);
        if (chooser && chooser->isVisible() &&
            chooser->objectName() == QLatin1String(FolderAccess::chooserObjectName))
            choosers.append(chooser);
    }
    return choosers;
}

// Navigates to folder and presses "Authorize"; false when that was not possible.
inline bool confirm(QFileDialog *chooser, const QString &folder)
{
    chooser->setDirectory(folder);
    auto *nameField = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    return nameField && (nameField->setText(folder), press(chooser, QStringLiteral("Authorize")));
}

inline bool cancel(QFileDialog *chooser)
{
    return press(chooser, QStringLiteral("Cancel"));
}

// Cancels those still open and lets them go away.
inline void closeAll()
{
    for (QFileDialog *chooser : openChoosers())
        chooser->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace FolderChooserDriver
