#include "app/Vellix_Mac_MailApp.h"

#include <QApplication>

#include <unistd.h>

int main(int argc, char *argv[])
{
    // The web engine's sandbox refuses to start as root.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setOrganizationName(QStringLiteral("Vellix"));
    QCoreApplication::setApplicationName(QStringLiteral("Vellix Mail"));

    QApplication application(argc, argv);
    Vellix_Mac_MailApp window;
    window.show();
    return application.exec();
}
