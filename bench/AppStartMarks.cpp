// The program's own start-up (the same steps as app/main.cpp, on the same
// window) with marks: when main is entered, when the application object and
// the window are made, when the list is first painted with its rows, and when
// the preview page is ready to take scripts. Quits after the last.
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "bench/StartMarks.h"
#include "ui/list/SignatureListView.h"
#include "ui/render/SignatureRender.h"
#include "ui/render/SignatureRenderWebView.h"

#include <QApplication>
#include <QListView>
#include <QTimer>

int main(int argc, char *argv[])
{
    StartMarks::print("main");
    ApplicationSetup::prepare();
    QApplication application(argc, argv);
    StartMarks::print("application-made");
    Vellix_Mac_MailApp window;
    StartMarks::print("window-built");

    int marks = 0;
    auto oneMore = [&marks] {
        if (++marks == 3)
            QCoreApplication::exit(0);
    };
    QListView *list = window.contentView()->listPane()->rowsView();
    StartMarks::afterFirstExpose(&window, "window-shown", oneMore);
    StartMarks::afterFirstPaint(
        list->viewport(), "list-shown", [list] { return list->model()->rowCount() > 0; }, oneMore);
    QObject::connect(window.contentView()->previewPane()->webView(), &SignatureRenderWebView::previewShown,
                     &window, [oneMore] {
                         StartMarks::print("preview-ready");
                         oneMore();
                     });

    window.show();
    QTimer::singleShot(60000, [] { QCoreApplication::exit(1); });
    return application.exec();
}
