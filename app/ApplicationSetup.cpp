#include "app/ApplicationSetup.h"

#include "base/Diagnostics.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>

#include <unistd.h>

namespace ApplicationSetup {

void allowWebEngineAsRoot()
{
    if (::geteuid() != 0)
        return;
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    Diagnostics::print(QStringLiteral("Running as root: the web engine's sandbox is off, as Chromium's "
                                      "sandbox does not run as root."));
}

void prepare()
{
    allowWebEngineAsRoot();
    if (Platform::webEngineSharesOpenGLContexts())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Per OS in app/CMakeLists.txt, beside the bundle identifier on macOS,
    // which Qt's settings domain has to match.
    QCoreApplication::setOrganizationName(QStringLiteral(SIGNATURES_ORGANIZATION_NAME));
    QCoreApplication::setOrganizationDomain(QStringLiteral(SIGNATURES_ORGANIZATION_DOMAIN));
    QCoreApplication::setApplicationName(QStringLiteral(SIGNATURES_APPLICATION_NAME));
    QGuiApplication::setApplicationDisplayName(QStringLiteral(SIGNATURES_DISPLAY_NAME));
}

} // namespace ApplicationSetup
