#include "tests/access/FolderChooserDriver.h"

#include "access/FolderAccess.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

static bool press(QFileDialog *chooser, const QString &text)
{
    for (QPushButton *button : chooser->findChildren<QPushButton *>()) {
        if (button->text() == text && button->isVisible() && button->isEnabled())
            return QTest::mouseClick(button, Qt::LeftButton), true;
    }
    return false;
}

QList<QFileDialog *> FolderChooserDriver::openChoosers()
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

bool FolderChooserDriver::confirm(QFileDialog *chooser, const QString &folder)
{
    chooser->setDirectory(folder);
    auto *nameField = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    return nameField && (nameField->setText(folder), press(chooser, QStringLiteral("Authorize")));
}

bool FolderChooserDriver::cancel(QFileDialog *chooser)
{
    return press(chooser, QStringLiteral("Cancel"));
}

void FolderChooserDriver::closeAll()
{
    for (QFileDialog *chooser : openChoosers())
        chooser->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
