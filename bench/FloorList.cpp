// The toolkit's floor for showing the list: a plain Qt Widgets window holding
// a list of names and no web view, started like the program. Prints when main
// is entered, when the application object and the window are made and when
// the list is first painted with its rows, then quits.
#include "bench/StartMarks.h"

#include <QApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char *argv[])
{
    StartMarks::print("main");
    // With BENCH_SHARE_OPENGL_CONTEXTS=1 it asks, as the program does for the
    // web engine, for the shared OpenGL context, which the application object
    // then makes at once.
    if (qEnvironmentVariableIntValue("BENCH_SHARE_OPENGL_CONTEXTS") == 1)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    StartMarks::print("application-made");

    QMainWindow window;
    auto *list = new QListWidget(&window);
    list->addItems({QStringLiteral("Work"), QStringLiteral("Personal"), QStringLiteral("Short")});
    window.setCentralWidget(list);
    window.setFixedSize(900, 400);
    StartMarks::print("window-built");

    StartMarks::afterFirstPaint(list->viewport(), "list-shown", nullptr, [] { QCoreApplication::exit(0); });
    window.show();
    QTimer::singleShot(60000, [] { QCoreApplication::exit(1); });
    return application.exec();
}
