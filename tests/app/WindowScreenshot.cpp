// Opens the window on whatever Mail folder the current home holds, selects the
// first signature, waits for its preview and saves a picture of the window.
// Used by scripts/demo --screenshot; needs a real display.

#include "access/FolderAccess.h"
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/preview/PageProbe.h"

#include <QApplication>
#include <QScreen>
#include <QTextStream>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    ApplicationSetup::prepare();
    QApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: window-screenshot OUTPUT.png\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    // As if the folder had been authorised on an earlier start.
    FolderAccess::saveFolderBookmark(SignaturesEngine::mailFolderURL());

    Vellix_Mac_MailApp window;
    window.show();
    SignaturesEngine &engine = window.contentView()->engine();
    const QList<SignatureModel> signatures = engine.uiModel()->signatures().get();
    if (!QTest::qWaitForWindowExposed(&window) || signatures.isEmpty()) {
        err << "window not shown or no signatures in " << SignaturesEngine::mailFolderURL() << "\n";
        return 1;
    }
    engine.selectionUiModel()->signature().set(signatures.first());
    if (!QTest::qWaitFor([&window] { return window.findChild<QWebEngineView *>(); }, 30000)) {
        err << "preview not created\n";
        return 1;
    }
    QWebEnginePage *page = window.findChild<QWebEngineView *>()->page();
    if (!QTest::qWaitFor([page] { return !PageProbe::containerHtml(page).trimmed().isEmpty(); }, 30000)) {
        err << "preview not shown\n";
        return 1;
    }
    QTest::qWait(700); // let the compositor present the last frame
    const QPixmap picture = window.screen()->grabWindow(window.winId());
    if (picture.isNull() || !picture.save(output)) {
        err << "could not save " << output << "\n";
        return 1;
    }
    err << "saved " << output << " (" << picture.width() << "x" << picture.height() << ")\n";
    return 0;
}
