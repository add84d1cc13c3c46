#include "access/MailMonitor.h"
#include "platform/nix/NixRunningApplications.h"
#include "tests/access/AppBundleFixture.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class MailMonitorTest : public QObject
{
    Q_OBJECT
private slots:
    void bundleOfExecutable_data()
    {
        QTest::addColumn<QByteArray>("executable");
        QTest::addColumn<QByteArray>("bundle");
        QTest::newRow("main executable") << "/A/Mail.app/Contents/MacOS/Mail"_ba << "/A/Mail.app"_ba;
        QTest::newRow("innermost") << "/A/M.app/Contents/B.app/Contents/MacOS/B"_ba << "/A/M.app/Contents/B.app"_ba;
        QTest::newRow("name with spaces") << "/x/Mail Beta.app/Contents/MacOS/Mail Beta"_ba << "/x/Mail Beta.app"_ba;
        QTest::newRow("deeper than MacOS") << "/A/Mail.app/Contents/MacOS/tools/Mail"_ba << QByteArray();
        QTest::newRow("bundle without a name") << "/A/.app/Contents/MacOS/Mail"_ba << QByteArray();
        QTest::newRow("relative") << "Mail.app/Contents/MacOS/Mail"_ba << QByteArray();
    }
    void bundleOfExecutable()
    {
        QFETCH(QByteArray, executable);
        QFETCH(QByteArray, bundle);
        QCOMPARE(NixRunningApplications::bundleOfExecutable(executable).value_or(QByteArray()), bundle);
    }

    void followsMailStartingAndQuitting()
    {
        QTemporaryDir dir;
        AppBundleFixture apps;
        const QString mail = AppBundleFixture::create(dir.path(), u"Mail"_s, u"com.apple.mail"_s);
        const QString other = AppBundleFixture::create(dir.path(), u"Mailbox"_s, u"com.apple.mailbox"_s);
        const QString loose = dir.path() + u"/Mail"_s;
        // Neither another application nor a program called Mail outside a bundle counts.
        QVERIFY(!mail.isEmpty() && !other.isEmpty() && QFile::copy(mail, loose));
        QProcess *first = apps.start(mail);
        QVERIFY(apps.start(other) && apps.start(loose) && first);

        MailMonitor monitor;
        QSignalSpy changes(&monitor, &MailMonitor::changed);
        QVERIFY(!monitor.isMainRunning().get()); // the first check comes with the timer
        QTRY_VERIFY_WITH_TIMEOUT(monitor.isMainRunning().get(), MailMonitor::pollIntervalMilliseconds * 2);
        // Two Mail processes are one running Mail; checks without a change publish nothing.
        QProcess *second = apps.start(mail);
        AppBundleFixture::stop(first);
        monitor.checkMailProcess();
        QVERIFY(monitor.isMainRunning().get());
        AppBundleFixture::stop(second);
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.isMainRunning().get(), MailMonitor::pollIntervalMilliseconds * 2);
        QCOMPARE(changes.count(), 2);
    }
};

QTEST_GUILESS_MAIN(MailMonitorTest)
#include "tst_mailmonitor.moc"
