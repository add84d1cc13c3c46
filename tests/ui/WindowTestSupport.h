#pragma once

#include "access/FolderAccess.h"
#include "tests/common/ImmutableFlag.h"
#include "tests/common/MailFixture.h"
#include "tests/common/TestEnvironment.h"
#include "tests/preview/PageProbe.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QWebEngineView>

// A throw-away home holding Mail's folder with the three sample signatures,
// and the settings pointed at it, so each case starts without a stored grant.
class SampleHome
{
public:
    SampleHome() : m_fixture(m_environment.makeSignaturesFolder())
    {
        const QString config = m_environment.home() + QStringLiteral("/.config");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
        m_entries = m_fixture.writeSample();
    }
    bool isValid() const { return m_environment.isValid(); }
    const TestEnvironment &environment() const { return m_environment; }
    QString signatureFile(int index) const { return m_fixture.signatureFile(m_entries.at(index).id); }
    QString id(int index) const { return m_entries.at(index).id; }
    QString name(int index) const { return m_entries.at(index).name; }
    // Stores the folder grant a confirmed chooser would have stored.
    void storeGrant() const { FolderAccess::saveFolderBookmark(m_environment.mailFolder()); }

private:
    TestEnvironment m_environment;
    MailFixture m_fixture;
    QList<MailFixture::Entry> m_entries;
};

namespace WindowTestSupport {

// The alert shown over window, when one is up.
inline QMessageBox *openAlert(QWidget *window)
{
    for (QMessageBox *alert : window->findChildren<QMessageBox *>()) {
        if (alert->isVisible())
            return alert;
    }
    return nullptr;
}

inline QAbstractButton *alertButton(QMessageBox *alert, const QString &text)
{
    for (QAbstractButton *button : alert->buttons()) {
        if (button->text().remove(QLatin1Char('&')) == text)
            return button;
    }
    return nullptr;
}

} // namespace WindowTestSupport

#define WINDOW_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                                    \
        QApplication app(argc, argv);                                                                                  \
        QCoreApplication::setOrganizationName(QStringLiteral("VellixTests"));                                          \
        QCoreApplication::setApplicationName(QStringLiteral("window-tests"));                                          \
        TestObject test;                                                                                               \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
