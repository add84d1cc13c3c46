// Opens the window on whatever Mail folder the current home holds, selects the
// first signature, waits for its preview and saves a picture of the window.
// Used to produce the picture in the documentation; needs a real display.

#include "access/FolderAccess.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTest>
#include <QTextStream>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <unistd.h>

namespace {
bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(50);
    }
    return true;
}

QString containerText(QWebEngineView *view)
{
    auto result = std::make_shared<QString>();
    auto done = std::make_shared<bool>(false);
    view->page()->runJavaScript(QStringLiteral("(function() { var c = document.getElementById('signature-container');"
                                               " return c ? c.innerText : ''; })()"),
                                [result, done](const QVariant &value) {
                                    *result = value.toString();
                                    *done = true;
                                });
    waitFor([done] { return *done; }, 5000);
    return *result;
}
} // namespace

int main(int argc, char *argv[])
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setOrganizationName(QStringLiteral("Vellix"));
    QCoreApplication::setApplicationName(QStringLiteral("Vellix Mail"));
    QApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: window-screenshot OUTPUT.png\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    // As if the folder had been authorised on an earlier start.
    FolderAccess::saveFolderBookmark(QDir::homePath() + QStringLiteral("/Library/Mail"));

    QElapsedTimer clock;
    clock.start();
    Vellix_Mac_MailApp window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        err << "window not exposed\n";
        return 1;
    }
    err << "window shown after " << clock.elapsed() << " ms\n";

    SignaturesEngine &engine = window.contentView()->engine();
    const QList<SignatureModel> signatures = engine.uiModel()->signatures().get();
    if (signatures.isEmpty()) {
        err << "no signatures found under " << QDir::homePath() << "\n";
        return 1;
    }
    engine.selectionUiModel()->signature().set(signatures.first());

    auto *view = window.findChild<QWebEngineView *>();
    if (!view || !waitFor([view] { return !containerText(view).trimmed().isEmpty(); }, 30000)) {
        err << "preview not shown\n";
        return 1;
    }
    err << "preview shown after " << clock.elapsed() << " ms\n";
    QTest::qWait(700); // let the compositor present the last frame

    const QPixmap picture = window.screen()->grabWindow(window.winId());
    if (picture.isNull() || !picture.save(output)) {
        err << "could not save " << output << "\n";
        return 1;
    }
    err << "saved " << output << " (" << picture.width() << "x" << picture.height() << ")\n";
    return 0;
}
