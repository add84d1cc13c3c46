// Opens the window on whatever Mail folder the current home holds, selects the
// first signature once the preview is up and saves a picture of the window.
// With --notes it selects the first signature that has notes; with
// --notes-open it also opens their list, which the picture shows over the
// window. With --inserted it inserts into the first signature, as a click on
// the button would; with --restore it also opens its restore dialog. Used by scripts/demo
// --screenshot for the README; needs a real display.
#include "access/FolderAccess.h"
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "notes/SignatureNotesUIModel.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/SignatureRender.h"
#include "ui/SignatureRenderNotes.h"
#include "ui/SignatureRenderTopbar.h"
#include "ui/SignatureRenderTopbarInsertButton.h"
#include "ui/SignatureRenderWebView.h"

#include <QApplication>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

int main(int argc, char *argv[])
{
    ApplicationSetup::prepare();
    QApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: window-screenshot OUTPUT.png [--notes | --notes-open | --inserted | --restore]\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QByteArray option = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    const bool withNotes = option.startsWith("--notes"), openNotes = option == "--notes-open";
    const bool restore = option == "--restore", insert = restore || option == "--inserted";
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
                engine.selectionUiModel()->signature().set(signature);
                if (!withNotes || !notes->notesModel().notes().get().isEmpty())
                    break;
            }
            if (openNotes)
                notes->click();
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
