// Opens the window on whatever Mail folder the current home holds, selects the
// first signature once the preview is up and saves a picture of the window.
// With --notes it selects the first signature that has notes; with
// --notes-open it also opens their list, which the picture shows over the
// window. With --fields it copies a template and clicks the insert button,
// so the picture shows the sheet that asks for its fields over the filled
// preview; with --accounts it shows the first row's tool tip. With --inserted
// it inserts into the first signature, as a click on the button would; with
// --restore it also opens its restore dialog; with --drop it drops an HTML
// file on the second row. With --dark it shows the preview in dark (with any
// of the others). With --select NAME it selects the signature of that name
// instead of the first. Used by scripts/demo
// --screenshot for the README; needs a real display.
#include "access/FolderAccess.h"
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "notes/SignatureNotesUIModel.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/list/SignatureItemModel.h"
#include "ui/list/SignatureListView.h"
#include "ui/render/FieldsSheet.h"
#include "ui/render/SignatureRender.h"
#include "ui/render/SignatureRenderNotes.h"
#include "ui/render/SignatureRenderTopbar.h"
#include "ui/render/SignatureRenderTopbarAppearance.h"
#include "ui/render/SignatureRenderTopbarInsertButton.h"
#include "ui/render/SignatureRenderWebView.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

int main(int argc, char *argv[])
{
    ApplicationSetup::prepare();
    QApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: window-screenshot OUTPUT.png [--notes | --notes-open | --fields | --accounts | "
               "--inserted | --restore | --drop] [--dark] [--select NAME]\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QByteArrayList options;
    for (int i = 2; i < argc; ++i)
        options.append(argv[i]);
    const bool openNotes = options.contains("--notes-open"),
               withNotes = openNotes || options.contains("--notes"), dark = options.contains("--dark");
    const bool withFields = options.contains("--fields"), withAccounts = options.contains("--accounts");
    const bool restore = options.contains("--restore"), insert = restore || options.contains("--inserted");
    const bool withDrop = options.contains("--drop");
    const qsizetype select = options.indexOf("--select");
    const QString selected = select >= 0 ? QString::fromLocal8Bit(options.value(select + 1)) : QString();
    QTemporaryDir dropFolder;
    // As if the folder had been authorised on an earlier start.
    FolderAccess::saveFolderBookmark(SignaturesEngine::mailFolderURL());
    Vellix_Mac_MailApp window;
    SignaturesEngine &engine = window.contentView()->engine();
    const QList<SignatureModel> signatures = engine.uiModel()->signatures().get();
    if (signatures.isEmpty()) {
        err << "no signatures in " << SignaturesEngine::mailFolderURL() << "\n";
        return 1;
    }
    QObject::connect(
        window.contentView()->previewPane()->webView(), &SignatureRenderWebView::previewShown, &window, [&] {
            SignatureRenderNotes *notes = window.contentView()->previewPane()->notes();
            for (const SignatureModel &signature : signatures) {
                if (!selected.isEmpty() && signature.name != selected)
                    continue;
                engine.selectionUiModel()->signature().set(signature);
                if (!withNotes || !notes->notesModel().notes().get().isEmpty())
                    break;
            }
            if (dark)
                window.contentView()->previewPane()->topbar()->appearance()->darkButton()->click();
            if (openNotes)
                notes->click();
            if (withFields) {
                auto *mime = new QMimeData;
                mime->setHtml(QStringLiteral(
                    "<table style=\"font: 13px Helvetica, sans-serif; color: #222\"><tr><td "
                    "style=\"padding-right: "
                    "12px; border-right: 2px solid #007aff\"><b style=\"font-size: 15px\">{{name}}</b><br>"
                    "{{title}}</td><td style=\"padding-left: 12px\">Vellix "
                    "Ltd.{{#phone}}<br>{{phone}}{{/phone}}"
                    "</td></tr></table>"));
                QGuiApplication::clipboard()->setMimeData(mime);
                window.contentView()->previewPane()->topbar()->button()->click();
                if (auto *sheet = window.findChild<FieldsSheet *>()) {
                    sheet->field(QStringLiteral("name"))->setText(QStringLiteral("Grace Hopper"));
                    sheet->field(QStringLiteral("title"))->setText(QStringLiteral("Rear Admiral"));
                    sheet->field(QStringLiteral("phone"))->setText(QStringLiteral("+1 202 555 0142"));
                }
            }
            if (withDrop) {
                // An HTML file dropped on the second row, delivered as the system delivers a drop.
                const QString dropped = dropFolder.filePath(QStringLiteral("conference.html"));
                QFile file(dropped);
                if (file.open(QIODevice::WriteOnly))
                    file.write(
                        "<p style=\"font: 13px Helvetica, sans-serif\"><b>Ada Lovelace</b> \xe2\x80\x94 "
                        "see you at <a href=\"https://vellix.example/summit\">Vellix Summit 2027</a>, "
                        "booth 12</p>");
                file.close();
                QMimeData mime;
                mime.setUrls({QUrl::fromLocalFile(dropped)});
                QWidget *rows = window.contentView()->listPane()->rowsView()->viewport();
                const QPoint at = window.contentView()->listPane()->rowRect(1).center();
                QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
                QApplication::sendEvent(rows, &enter);
                QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
                QApplication::sendEvent(rows, &drop);
            }
            if (withAccounts) {
                SignatureListView *list = window.contentView()->listPane();
                const QRect row = list->rowRect(0);
                QToolTip::showText(list->rowsView()->viewport()->mapToGlobal(row.center()),
                                   list->model()->index(0).data(Qt::ToolTipRole).toString(),
                                   list->rowsView()->viewport());
            }
            if (insert) {
                engine.insertSignature(QStringLiteral("<p><b>Ada Lovelace</b><br>Head of Analytical Engines, "
                                                      "Vellix Ltd.</p>"));
                // Where a click on it leaves the focus.
                window.contentView()->previewPane()->topbar()->button()->setFocus();
            }
            if (restore)
                window.contentView()->restorePreviousVersion();
            // Time for the page to lay the signature out and the compositor to present it.
            QTimer::singleShot(1500, &window, [&] {
                // The screen under the window and what it opened (the list, the dialog), so both are in
                // the picture.
                QRect area = window.frameGeometry();
                for (const QWidget *opened : QApplication::topLevelWidgets()) {
                    if (opened->isVisible())
                        area |= opened->frameGeometry();
                }
                const QPixmap picture =
                    window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
                const bool saved = !picture.isNull() && picture.save(output);
                err << (saved ? "saved " : "could not save ") << output << "\n";
                QCoreApplication::exit(saved ? 0 : 1);
            });
        });
    QTimer::singleShot(60000, [&err] {
        err << "the preview did not come up\n";
        QCoreApplication::exit(1);
    });
    window.show();
    return application.exec();
}
