// Opens the window on whatever Mail folder the current home holds, selects the
// first signature once the preview is up and saves a picture of the window.
// With --notes it selects the first signature that has notes; with
// --notes-open it also opens their list, which the picture shows over the
// window. With --dark it shows the preview in dark. Used by scripts/demo
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
#include "ui/SignatureRenderTopbarAppearance.h"
#include "ui/SignatureRenderWebView.h"

#include <QApplication>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

int main(int argc, char *argv[])
{
    ApplicationSetup::prepare();
    QApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: window-screenshot OUTPUT.png [--notes | --notes-open] [--dark]\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QByteArrayList options;
    for (int i = 2; i < argc; ++i)
        options.append(argv[i]);
    const bool openNotes = options.contains("--notes-open"),
               withNotes = openNotes || options.contains("--notes"), dark = options.contains("--dark");
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
            if (dark)
                window.contentView()->previewPane()->topbar()->appearance()->darkButton()->click();
            if (openNotes)
                notes->click();
            // Time for the page to lay the signature out and the compositor to present it.
            QTimer::singleShot(1500, &window, [&] {
                // The screen under the window, so that the open list is in the picture.
                const QRect area = window.frameGeometry();
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
