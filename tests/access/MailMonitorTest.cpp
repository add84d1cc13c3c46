#include "access/MailMonitor.h"
#include "tests/access/AppBundleFixture.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class MailMonitorTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void firstCheckComesWithTheTimer();
    void followsMailStartingAndQuitting();
    void publishesOnlyChanges();
    void otherApplicationsDoNotCount();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mail;
};

void MailMonitorTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_mail = AppBundleFixture::create(m_dir->path(), QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    QVERIFY(!m_mail.isEmpty());
}

void MailMonitorTest::firstCheckComesWithTheTimer()
{
    AppBundleFixture apps;
    QProcess *mail = apps.start(m_mail);
    QVERIFY(mail);
    // Give the process time to become the bundle's executable before watching.
    QTest::qWait(200);
    MailMonitor monitor;
    QVERIFY(!monitor.isMainRunning().get());
    QTRY_VERIFY_WITH_TIMEOUT(monitor.isMainRunning().get(), 3000);
}

void MailMonitorTest::followsMailStartingAndQuitting()
{
    MailMonitor monitor;
    QSignalSpy changes(&monitor, &MailMonitor::changed);
    QList<bool> published;
    const Cancellable subscription = monitor.isMainRunning().sink([&published](bool value) { published.append(value); });

    AppBundleFixture apps;
    QProcess *mail = apps.start(m_mail);
    QVERIFY(mail);
    QTRY_VERIFY_WITH_TIMEOUT(monitor.isMainRunning().get(), 3000);
    AppBundleFixture::stop(mail);
    QTRY_VERIFY_WITH_TIMEOUT(!monitor.isMainRunning().get(), 3000);

    QCOMPARE(published, (QList<bool>{false, true, false}));
    QCOMPARE(changes.count(), 2);
}

void MailMonitorTest::publishesOnlyChanges()
{
    MailMonitor monitor;
    QSignalSpy changes(&monitor, &MailMonitor::changed);
    monitor.checkMailProcess();
    QCOMPARE(changes.count(), 0);

    // Several Mail processes are one running Mail.
    AppBundleFixture apps;
    QProcess *first = apps.start(m_mail);
    QProcess *second = apps.start(m_mail);
    QVERIFY(first && second);
    QTRY_VERIFY_WITH_TIMEOUT((monitor.checkMailProcess(), monitor.isMainRunning().get()), 3000);
    for (int i = 0; i < 3; ++i)
        monitor.checkMailProcess();
    QCOMPARE(changes.count(), 1);

    AppBundleFixture::stop(first);
    monitor.checkMailProcess();
    QVERIFY(monitor.isMainRunning().get());
    QCOMPARE(changes.count(), 1);

    AppBundleFixture::stop(second);
    monitor.checkMailProcess();
    QVERIFY(!monitor.isMainRunning().get());
    QCOMPARE(changes.count(), 2);
}

void MailMonitorTest::otherApplicationsDoNotCount()
{
    const QString other =
        AppBundleFixture::create(m_dir->path(), QStringLiteral("Mailbox"), QStringLiteral("com.example.mailbox"));
    const QString loose = m_dir->path() + QStringLiteral("/Mail");
    QVERIFY(!other.isEmpty() && QFile::copy(m_mail, loose));
    AppBundleFixture apps;
    QVERIFY(apps.start(other) && apps.start(loose));
    QTest::qWait(200);

    MailMonitor monitor;
    QSignalSpy changes(&monitor, &MailMonitor::changed);
    monitor.checkMailProcess();
    QTest::qWait(MailMonitor::pollIntervalMilliseconds * 3 / 2);
    QVERIFY(!monitor.isMainRunning().get());
    QCOMPARE(changes.count(), 0);
}

QTEST_GUILESS_MAIN(MailMonitorTest)
#include "MailMonitorTest.moc"
