// The toolkit's floor for start-up: a bare Qt Widgets window holding one web
// view that loads the preview page, started like the program. Prints when the
// window is first painted and when the page has loaded, then quits.
#include "bench/StartMarks.h"
#include "preview/PreviewPage.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <QWebEngineView>

#include <unistd.h>

int main(int argc, char *argv[])
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);

    QMainWindow window;
    auto *view = new QWebEngineView(&window);
    window.setCentralWidget(view);
    window.setFixedSize(900, 400);

    int marks = 0;
    auto oneMore = [&marks] {
        if (++marks == 2)
            QCoreApplication::exit(0);
    };
    StartMarks::afterFirstExpose(&window, "window-shown", oneMore);
    QObject::connect(view, &QWebEngineView::loadFinished, &window, [oneMore](bool) {
        StartMarks::print("preview-ready");
        oneMore();
    });
    view->setHtml(PreviewPage::html());
    window.show();
    QTimer::singleShot(60000, [] { QCoreApplication::exit(1); });
    return application.exec();
}
