#include "tests/access/FolderChooserDriver.h"

#include "access/FolderAccess.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

QList<QFileDialog *> FolderChooserDriver::openChoosers()
{
    QList<QFileDialog *> choosers;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *chooser = qobject_cast<QFileDialog *>(widget);
        if (chooser && chooser->isVisible() && chooser->objectName() == QLatin1String(FolderAccess::chooserObjectName))
            choosers.append(chooser);
    }
    return choosers;
}

QPushButton *FolderChooserDriver::button(QFileDialog *chooser, const QString &text)
{
    for (QPushButton *candidate : chooser->findChildren<QPushButton *>()) {
        if (candidate->text() == text && candidate->isVisible())
            return candidate;
    }
    return nullptr;
}

bool FolderChooserDriver::confirm(QFileDialog *chooser, const QString &folder)
{
    chooser->setDirectory(folder);
    // As if typed into the name field, which is what settles the button's state.
    auto *nameField = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!nameField)
        return false;
    nameField->setText(folder);
    QPushButton *authorize = button(chooser, QStringLiteral("Authorize"));
    if (!authorize || !authorize->isEnabled())
        return false;
    QTest::mouseClick(authorize, Qt::LeftButton);
    return true;
}

bool FolderChooserDriver::cancel(QFileDialog *chooser)
{
    QPushButton *cancelButton = button(chooser, QStringLiteral("Cancel"));
    if (!cancelButton)
        return false;
    QTest::mouseClick(cancelButton, Qt::LeftButton);
    return true;
}

void FolderChooserDriver::closeAll()
{
    for (QFileDialog *chooser : openChoosers())
        chooser->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
