#include "platform/nix/NixRunningApplications.h"
#include "tests/access/AppBundleFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <plist/plist.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

class RunningApplicationsTest : public QObject
{
    Q_OBJECT
private slots:
    void bundleOfExecutable_data();
    void bundleOfExecutable();
    void countsProcessesPerBundleIdentifier();
    void rereadsInfoPlistWhenItChanges();
    void readsBinaryInfoPlist();
};

void RunningApplicationsTest::bundleOfExecutable_data()
{
    QTest::addColumn<QByteArray>("executable");
    QTest::addColumn<QByteArray>("bundle");

    QTest::newRow("main executable") << QByteArray("/Applications/Mail.app/Contents/MacOS/Mail")
                                     << QByteArray("/Applications/Mail.app");
    QTest::newRow("innermost of nested bundles")
        << QByteArray("/A/Mail.app/Contents/Frameworks/Helper.app/Contents/MacOS/Helper")
        << QByteArray("/A/Mail.app/Contents/Frameworks/Helper.app");
    QTest::newRow("name with spaces") << QByteArray("/x/Mail Beta.app/Contents/MacOS/Mail Beta")
                                      << QByteArray("/x/Mail Beta.app");
    QTest::newRow("deeper than MacOS") << QByteArray("/A/Mail.app/Contents/MacOS/tools/Mail") << QByteArray();
    QTest::newRow("no executable name") << QByteArray("/A/Mail.app/Contents/MacOS/") << QByteArray();
    QTest::newRow("bundle without a name") << QByteArray("/A/.app/Contents/MacOS/Mail") << QByteArray();
    QTest::newRow("ordinary program") << QByteArray("/usr/bin/sleep") << QByteArray();
    QTest::newRow("relative") << QByteArray("Mail.app/Contents/MacOS/Mail") << QByteArray();
}

void RunningApplicationsTest::bundleOfExecutable()
{
    QFETCH(QByteArray, executable);
    QFETCH(QByteArray, bundle);
    QCOMPARE(NixRunningApplications::bundleOfExecutable(executable).value_or(QByteArray()), bundle);
}

void RunningApplicationsTest::countsProcessesPerBundleIdentifier()
{
    QTemporaryDir dir;
    AppBundleFixture apps;
    const QString mail = AppBundleFixture::create(dir.path(), QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    const QString other = AppBundleFixture::create(dir.path(), QStringLiteral("Other"), QStringLiteral("org.example.other"));
    // A program called Mail that is not inside a bundle is not an application.
    const QString loose = dir.path() + QStringLiteral("/Mail");
    QVERIFY(!mail.isEmpty() && !other.isEmpty() && QFile::copy(mail, loose));

    NixRunningApplications running;
    QCOMPARE(running.countWithBundleIdentifier(QStringLiteral("com.apple.mail")), 0);
    QVERIFY(apps.start(mail) && apps.start(mail) && apps.start(other) && apps.start(loose));
    QTRY_COMPARE_WITH_TIMEOUT(running.countWithBundleIdentifier(QStringLiteral("com.apple.mail")), 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(running.countWithBundleIdentifier(QStringLiteral("org.example.other")), 1, 5000);
    QCOMPARE(running.countWithBundleIdentifier(QStringLiteral("com.apple.Mail")), 0);
}

void RunningApplicationsTest::rereadsInfoPlistWhenItChanges()
{
    QTemporaryDir dir;
    AppBundleFixture apps;
    const QString mail = AppBundleFixture::create(dir.path(), QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    QVERIFY(!mail.isEmpty() && apps.start(mail));
    NixRunningApplications running;
    QTRY_COMPARE_WITH_TIMEOUT(running.countWithBundleIdentifier(QStringLiteral("com.apple.mail")), 1, 5000);

    // Same size, so only the modification time tells the cache it is out of date.
    const QString plist = dir.path() + QStringLiteral("/Mail.app/Contents/Info.plist");
    QFile file(plist);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(AppBundleFixture::infoPlist(QStringLiteral("com.apple.mall"), QStringLiteral("Mail")));
    file.close();
    struct timespec times[2] = {{0, UTIME_OMIT}, {1, 0}};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(plist).constData(), times, 0) == 0);

    QCOMPARE(running.countWithBundleIdentifier(QStringLiteral("com.apple.mail")), 0);
    QCOMPARE(running.countWithBundleIdentifier(QStringLiteral("com.apple.mall")), 1);
}

void RunningApplicationsTest::readsBinaryInfoPlist()
{
    QTemporaryDir dir;
    AppBundleFixture apps;
    const QString mail = AppBundleFixture::create(dir.path(), QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    QVERIFY(!mail.isEmpty());

    plist_t info = plist_new_dict();
    plist_dict_set_item(info, "CFBundleIdentifier", plist_new_string("com.apple.mail"));
    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(info, &bytes, &length);
    const QByteArray binary(bytes, qsizetype(length));
    std::free(bytes);
    plist_free(info);
    QFile file(dir.path() + QStringLiteral("/Mail.app/Contents/Info.plist"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(binary) == binary.size());
    file.close();

    QVERIFY(apps.start(mail));
    NixRunningApplications running;
    QTRY_COMPARE_WITH_TIMEOUT(running.countWithBundleIdentifier(QStringLiteral("com.apple.mail")), 1, 5000);
}

QTEST_GUILESS_MAIN(RunningApplicationsTest)
#include "RunningApplicationsTest.moc"
