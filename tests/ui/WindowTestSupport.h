#pragma once

#include "tests/common/MailFixture.h"
#include "tests/common/TestEnvironment.h"

#include <QString>
#include <QVariant>

#include <memory>

class QMessageBox;
class QPushButton;
class QWebEngineView;
class QWidget;

// A throw-away home holding Mail's folder with the three sample signatures.
class SampleHome
{
public:
    SampleHome();

    bool isValid() const { return m_environment.isValid(); }
    const TestEnvironment &environment() const { return m_environment; }
    QString signaturesFolder() const { return m_fixture.folder(); }
    QString signatureFile(int index) const { return m_fixture.signatureFile(m_entries.at(index).id); }
    QString id(int index) const { return m_entries.at(index).id; }
    QString name(int index) const { return m_entries.at(index).name; }
    const MailFixture &fixture() const { return m_fixture; }

    // Stores the folder grant a confirmed chooser would have stored.
    void storeGrant() const;

private:
    TestEnvironment m_environment;
    MailFixture m_fixture;
    QList<MailFixture::Entry> m_entries;
};

class WindowTestSupport
{
public:
    // Sets what a test needs before the application object exists, and the
    // names the settings are kept under.
    static void prepareApplication();
    static void nameApplication();

    // The alert shown over window, when one is up.
    static QMessageBox *openAlert(QWidget *window);
    static QPushButton *alertButton(QMessageBox *alert, const QString &text);

    // The immutable flag as the file system tool reports it.
    static bool isImmutable(const QString &path);

    // Runs script in the view's page and waits for its result.
    static QVariant evaluate(QWebEngineView *view, const QString &script, int timeoutMs = 15000);
    // The text of the preview page's container (its innerHTML).
    static QString previewContainerHtml(QWebEngineView *view);
};

#define WINDOW_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        WindowTestSupport::prepareApplication();                                                                       \
        QApplication app(argc, argv);                                                                                  \
        WindowTestSupport::nameApplication();                                                                          \
        TestObject test;                                                                                               \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
