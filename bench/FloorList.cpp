// The toolkit's floor for showing the list: a plain Qt Widgets window holding
// a list of names and no web view, started like the program. Prints when the
// list is first painted with its rows, then quits.
#include "bench/StartMarks.h"

#include <QApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

    QMainWindow window;
    auto *list = new QListWidget(&window);
    list->addItems({QStringLiteral("Work"), QStringLiteral("Personal"), QStringLiteral("Short")});
    window.setCentralWidget(list);
    window.setFixedSize(900, 400);

    StartMarks::afterFirstPaint(list->viewport(), "list-shown", nullptr, [] { QCoreApplication::exit(0); });
    window.show();
    QTimer::singleShot(60000, [] { QCoreApplication::exit(1); });
    return application.exec();
}
