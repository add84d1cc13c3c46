#include "ui/TopbarState.h"

#include <QTest>

// Every combination of the three inputs against what the top bar must show.
class tst_TopbarState : public QObject
{
    Q_OBJECT
private slots:
    void table_data();
    void table();
    void texts();
};

void tst_TopbarState::table_data()
{
    QTest::addColumn<bool>("isAuthorized");
    QTest::addColumn<bool>("isMailRunning");
    QTest::addColumn<bool>("hasContent");
    QTest::addColumn<bool>("messageVisible");
    QTest::addColumn<QString>("buttonTitle");
    QTest::addColumn<bool>("buttonEnabled");

    const QString authorize = QStringLiteral("Authorize Access to Mail Signature folder");
    const QString insert = QStringLiteral("Insert Signature from Clipboard");
    // Not authorised: whatever the preview holds, asking for access is offered.
    QTest::newRow("unauthorized, Mail closed, no content") << false << false << false << false << authorize << true;
    QTest::newRow("unauthorized, Mail closed, content") << false << false << true << false << authorize << true;
    QTest::newRow("unauthorized, Mail running, no content") << false << true << false << true << authorize << true;
    QTest::newRow("unauthorized, Mail running, content") << false << true << true << true << authorize << true;
    QTest::newRow("authorized, Mail closed, no content") << true << false << false << false << insert << false;
    QTest::newRow("authorized, Mail closed, content") << true << false << true << false << insert << true;
    QTest::newRow("authorized, Mail running, no content") << true << true << false << true << insert << false;
    QTest::newRow("authorized, Mail running, content") << true << true << true << true << insert << false;
}

void tst_TopbarState::table()
{
    QFETCH(bool, isAuthorized);
    QFETCH(bool, isMailRunning);
    QFETCH(bool, hasContent);
    QFETCH(bool, messageVisible);
    QFETCH(QString, buttonTitle);
    QFETCH(bool, buttonEnabled);

    const TopbarState state = TopbarState::compute(isAuthorized, isMailRunning, hasContent);
    QCOMPARE(state.messageVisible, messageVisible);
    QCOMPARE(state.buttonTitle(), buttonTitle);
    QCOMPARE(state.buttonEnabled, buttonEnabled);
    QCOMPARE(state.action, isAuthorized ? TopbarState::Action::Insert : TopbarState::Action::Authorize);
}

void tst_TopbarState::texts()
{
    QCOMPARE(TopbarState::messageText(), QStringLiteral("Mail must be closed before inserting a signature"));
}

QTEST_APPLESS_MAIN(tst_TopbarState)
#include "tst_TopbarState.moc"
