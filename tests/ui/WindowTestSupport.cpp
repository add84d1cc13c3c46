#include "tests/ui/WindowTestSupport.h"

#include "access/FolderAccess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <optional>

SampleHome::SampleHome() : m_fixture(m_environment.makeSignaturesFolder())
{
    // The settings location is looked up once per process; point it at this
    // home explicitly so each case starts without a stored grant.
    const QString config = m_environment.home() + QStringLiteral("/.config");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    m_entries = m_fixture.writeSample();
}

void SampleHome::storeGrant() const
{
    FolderAccess::saveFolderBookmark(m_environment.mailFolder());
}

void WindowTestSupport::prepareApplication()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void WindowTestSupport::nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("VellixTests"));
    QCoreApplication::setApplicationName(QStringLiteral("window-tests"));
}

QMessageBox *WindowTestSupport::openAlert(QWidget *window)
{
    for (QMessageBox *alert : window->findChildren<QMessageBox *>()) {
        if (alert->isVisible())
            return alert;
    }
    return nullptr;
}

QPushButton *WindowTestSupport::alertButton(QMessageBox *alert, const QString &text)
{
    for (QAbstractButton *button : alert->buttons()) {
        if (button->text().remove(QLatin1Char('&')) == text)
            return qobject_cast<QPushButton *>(button);
    }
    return nullptr;
}

bool WindowTestSupport::isImmutable(const QString &path)
{
    QProcess lsattr;
    lsattr.start(QStringLiteral("lsattr"), {QStringLiteral("-d"), path});
    if (!lsattr.waitForFinished(10000) || lsattr.exitCode() != 0)
        return false;
    const QByteArray flags = lsattr.readAllStandardOutput().split(' ').value(0);
    return flags.contains('i');
}

QVariant WindowTestSupport::evaluate(QWebEngineView *view, const QString &script, int timeoutMs)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [result](const QVariant &value) { *result = value; });
    QElapsedTimer timer;
    timer.start();
    while (!result->has_value() && timer.elapsed() < timeoutMs)
        QTest::qWait(20);
    return result->value_or(QVariant());
}

QString WindowTestSupport::previewContainerHtml(QWebEngineView *view)
{
    return evaluate(view, QStringLiteral("(function(){ var c = document.getElementById('signature-container');"
                                         " return c ? c.innerHTML : null; })()"))
        .toString();
}
