#include "cli/Mailsig.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The same names as the window's, so both keep versions in one folder.
    QCoreApplication::setOrganizationName(QStringLiteral(SIGNATURES_ORGANIZATION_NAME));
    QCoreApplication::setOrganizationDomain(QStringLiteral(SIGNATURES_ORGANIZATION_DOMAIN));
    QCoreApplication::setApplicationName(QStringLiteral(SIGNATURES_APPLICATION_NAME));
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return Mailsig(stdout, stderr).run(arguments);
}
