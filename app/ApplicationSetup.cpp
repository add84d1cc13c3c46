#include "app/ApplicationSetup.h"

#include <QCoreApplication>
#include <QString>

#include <unistd.h>

namespace ApplicationSetup {

void prepare()
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setOrganizationName(QStringLiteral("Vellix"));
    QCoreApplication::setApplicationName(QStringLiteral("Vellix Mail"));
}

} // namespace ApplicationSetup
