#include "app/ApplicationSetup.h"
#include "app/Vellix_Mac_MailApp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    ApplicationSetup::prepare();
    QApplication application(argc, argv);
    Vellix_Mac_MailApp window;
    window.show();
    return application.exec();
}
