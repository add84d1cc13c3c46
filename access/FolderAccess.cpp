#include "access/FolderAccess.h"

#include "base/Diagnostics.h"
#include "platform/FolderBookmark.h"
#include "platform/Platform.h"
#include "store/SignaturesEngine.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <utility>
#include <vector>

std::optional<QString> FolderAccess::restoreFolderAccess()
{
    const QVariant stored = QSettings().value(QLatin1String(bookmarkKey));
    if (!stored.isValid())
        return std::nullopt;
    FolderBookmark &bookmark = Platform::folderBookmark();
    QString error;
    const std::optional<FolderBookmark::Resolved> resolved = bookmark.resolve(stored.toByteArray(), &error);
    if (!resolved) {
        Diagnostics::print(QStringLiteral("Failed to resolve bookmark: ") + error);
        return std::nullopt;
    }
    // A stale bookmark still opens the folder; it is deliberately not rewritten.
    if (resolved->isStale)
        Diagnostics::print(QStringLiteral("Bookmark data is stale, consider re-saving the bookmark."));
    if (!bookmark.startAccessing(resolved->folder)) {
        Diagnostics::print(QStringLiteral("Failed to access security-scoped resource."));
        return std::nullopt;
    }
    Diagnostics::print(QStringLiteral("Security scoped resource accessed."));
    return resolved->folder;
}

namespace {
// The chooser on screen, and everyone waiting for its answer.
struct OpenChooser
{
    // A widget, not a file dialog: it is still looked at while being destroyed.
    QPointer<QWidget> chooser;
    std::vector<std::function<void(bool)>> completions;
};

OpenChooser &openChooser()
{
    static OpenChooser open;
    return open;
}

void answer(bool granted)
{
    const std::vector<std::function<void(bool)>> completions = std::exchange(openChooser().completions, {});
    for (const std::function<void(bool)> &completion : completions)
        completion(granted);
}
} // namespace

void FolderAccess::requestFolderAccess(std::function<void(bool granted)> completion, QWidget *window)
{
    OpenChooser &open = openChooser();
    if (open.chooser) {
        open.completions.push_back(std::move(completion));
        open.chooser->raise();
        open.chooser->activateWindow();
        return;
    }
    auto *chooser = new QFileDialog(window, QStringLiteral("Select the Mail folder to authorize access"),
                                    SignaturesEngine::mailFolderURL());
    open.chooser = chooser;
    open.completions = {std::move(completion)};
    // Nothing else in the window can be used meanwhile (on a Mac it is a sheet).
    if (window)
        chooser->setWindowModality(Qt::WindowModal);
    chooser->setObjectName(QLatin1String(chooserObjectName));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    // The system's panel where only it grants access to the chosen folder;
    // elsewhere Qt's own dialog, which behaves the same and can be driven
    // headless. Headless there is no system panel and Qt shows its own anyway.
    chooser->setOption(QFileDialog::DontUseNativeDialog, !Platform::usesSystemFolderChooser());
    chooser->setOption(QFileDialog::ShowDirsOnly);
    chooser->setFileMode(QFileDialog::Directory);
    chooser->setAcceptMode(QFileDialog::AcceptOpen);
    chooser->setLabelText(QFileDialog::Accept, QStringLiteral("Authorize"));

    QObject::connect(chooser, &QDialog::finished, chooser, [chooser](int result) {
        openChooser().chooser = nullptr;
        if (result != QDialog::Accepted) {
            answer(false);
            return;
        }
        const QStringList chosen = chooser->selectedFiles();
        if (chosen.isEmpty() || chosen.first().isEmpty()) {
            answer(false);
            return;
        }
        // What counts is whether Mail's folder can now be read, not which
        // folder was chosen.
        if (!SignaturesEngine::findMailVersionFolder()) {
            answer(false);
            return;
        }
        Diagnostics::print(QStringLiteral("CREATE BOOKMARK"));
        saveFolderBookmark(chosen.first());
        answer(true);
    });
    // Gone unanswered (the chooser still counted as open): no access.
    QObject::connect(chooser, &QObject::destroyed, [self = static_cast<QWidget *>(chooser)] {
        OpenChooser &open = openChooser();
        if (open.chooser && open.chooser.data() != self)
            return; // a later chooser's requests are its own
        open.chooser = nullptr;
        answer(false);
    });
    // A sheet needs its window on screen; at start-up the window is shown
    // right after it is built.
    if (window && !window->isVisible())
        QTimer::singleShot(0, chooser, &QWidget::show);
    else
        chooser->show();
}

void FolderAccess::requestFolderAccessAgain(std::function<void(bool granted)> completion, QWidget *window)
{
    // Whether the system carries an open-panel grant across launches for a
    // program outside App Sandbox is not documented; when it did not, the
    // user learns why the chooser is back and that Full Disk Access is the
    // lasting way in.
    const std::optional<QUrl> settings = Platform::fullDiskAccessSettings();
    const QString why =
        QStringLiteral("The access to Mail's folder granted at an earlier start no longer opens it");
    auto *notice =
        new QMessageBox(QMessageBox::Information, QGuiApplication::applicationDisplayName(),
                        settings ? why + QStringLiteral(": choose the Mail folder again, or give %1 "
                                                        "Full Disk Access in System Settings → "
                                                        "Privacy & Security.")
                                             .arg(QGuiApplication::applicationDisplayName())
                                 : why + QStringLiteral(": choose the Mail folder again."));
    notice->setObjectName(QLatin1String(grantLostObjectName));
    notice->setTextFormat(Qt::PlainText);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->addButton(QStringLiteral("Choose Folder…"), QMessageBox::AcceptRole);
    if (settings) {
        // Opens the pane and leaves the notice up: the chooser is still the
        // way in for this run, as Full Disk Access counts from the next start.
        QPushButton *open =
            notice->addButton(QStringLiteral("Open Privacy & Security"), QMessageBox::ActionRole);
        QObject::disconnect(open, &QPushButton::clicked, nullptr, nullptr);
        QObject::connect(open, &QPushButton::clicked, [url = *settings] { QDesktopServices::openUrl(url); });
    }
    QObject::connect(notice, &QMessageBox::finished,
                     [completion = std::move(completion), window = QPointer<QWidget>(window)]() mutable {
                         requestFolderAccess(std::move(completion), window);
                     });
    notice->open();
}

void FolderAccess::saveFolderBookmark(const QString &folder)
{
    QString error;
    const std::optional<QByteArray> data = Platform::folderBookmark().create(folder, &error);
    if (!data) {
        Diagnostics::print(QStringLiteral("Failed to create bookmark: ") + error);
        return;
    }
    QSettings settings;
    settings.setValue(QLatin1String(bookmarkKey), *data);
    settings.sync();
    Diagnostics::print(QStringLiteral("Bookmark created and saved."));
}
