#include "store/MailFolders.h"
#include "store/SignaturesEngine.h"
#include "tests/common/MailFixture.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestMailFolders : public QObject
{
    Q_OBJECT
private slots:
    void chooseVersionFolder_data();
    void chooseVersionFolder();
    void versionFolderSearch();
    void searchFailures();
    void signatureFileLocations();
};

void TestMailFolders::chooseVersionFolder_data()
{
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QString>("lastUsed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("one folder") << QStringList{"V10"} << "" << "V10";
    QTest::newRow("one folder, stale record") << QStringList{"V10"} << "V9" << "V10";
    QTest::newRow("highest number, not listing order") << QStringList{"V9", "V10", "V2"} << "" << "V10";
    QTest::newRow("last used wins") << QStringList{"V9", "V10"} << "V9" << "V9";
    QTest::newRow("last used gone") << QStringList{"V9", "V10"} << "V11" << "V10";
    QTest::newRow("numbers beat names") << QStringList{"Vbackup", "V", "V3"} << "" << "V3";
    QTest::newRow("no numbers: listing order") << QStringList{"Vbackup", "V"} << "" << "Vbackup";
    QTest::newRow("none") << QStringList{} << "V10" << "";
}

void TestMailFolders::chooseVersionFolder()
{
    QFETCH(QStringList, candidates);
    QFETCH(QString, lastUsed);
    QFETCH(QString, chosen);
    const auto result = MailFolders::chooseVersionFolder(
        candidates, lastUsed.isEmpty() ? std::nullopt : std::optional<QString>(lastUsed));
    QCOMPARE(result.value_or(QString()), chosen);
}

void TestMailFolders::versionFolderSearch()
{
    TestEnvironment env;
    const QString mail = env.mailFolder();
    QDir().mkpath(mail + QStringLiteral("/V9/MailData/Signatures"));
    QDir().mkpath(mail + QStringLiteral("/V10"));
    QDir().mkpath(mail + QStringLiteral("/.V99"));  // hidden: never considered
    QDir().mkpath(mail + QStringLiteral("/vlower"));
    TestEnvironment::writeFile(mail + QStringLiteral("/V100"), "a regular file is ignored");

    StdoutCapture out;
    // After an upgrade both exist: the newer one, not whatever the listing yields first.
    QCOMPARE(SignaturesEngine::findMailVersionFolder(), std::optional(mail + QStringLiteral("/V10")));
    // The folder Mail records as last used wins over the number.
    const QByteArray info = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                            "<key>LastUsedVersionDirectoryName</key><string>V9</string></dict></plist>";
    TestEnvironment::writeFile(mail + QStringLiteral("/PersistenceInfo.plist"), info);
    QCOMPARE(SignaturesEngine::findMailVersionFolder(), std::optional(mail + QStringLiteral("/V9")));
    // A version folder without MailData/Signatures still yields the location; nothing is cached.
    QDir(mail + QStringLiteral("/V9")).removeRecursively();
    QCOMPARE(SignaturesEngine::signaturesFolderURL(),
             std::optional(mail + QStringLiteral("/V10/MailData/Signatures")));
    // A broken record is ignored.
    TestEnvironment::writeFile(mail + QStringLiteral("/PersistenceInfo.plist"), "\x00\x01 not a plist");
    QCOMPARE(SignaturesEngine::findMailVersionFolder(), std::optional(mail + QStringLiteral("/V10")));
    QCOMPARE(out.lines(), QStringList());
}

void TestMailFolders::searchFailures()
{
    TestEnvironment env;
    {
        StdoutCapture out;
        QVERIFY(!SignaturesEngine::findMailVersionFolder());
        const QStringList lines = out.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Error while accessing directory: ")), qPrintable(lines[0]));
        QVERIFY(lines[0].size() > int(strlen("Error while accessing directory: ")));
    }
    QDir().mkpath(env.mailFolder() + QStringLiteral("/v10"));
    QDir().mkpath(env.mailFolder() + QStringLiteral("/MailV"));
    {
        StdoutCapture out;
        QVERIFY(!SignaturesEngine::signaturesFolderURL());
        QVERIFY(!SignaturesEngine::signatureFileURL(QStringLiteral("X")));
        QCOMPARE(out.lines(), QStringList(2, QStringLiteral("No folder starting with 'V' found.")));
    }
    QDir().mkpath(env.mailFolder() + QStringLiteral("/V"));
    QCOMPARE(SignaturesEngine::findMailVersionFolder(), std::optional(env.mailFolder() + QStringLiteral("/V")));
}

void TestMailFolders::signatureFileLocations()
{
    TestEnvironment env;
    const QString folder = env.makeSignaturesFolder();
    QCOMPARE(SignaturesEngine::allSignaturesListURL(), std::optional(folder + QStringLiteral("/AllSignatures.plist")));
    QCOMPARE(SignaturesEngine::signatureFileURL(QStringLiteral("ABC")),
             std::optional(folder + QStringLiteral("/ABC.mailsignature")));
    QCOMPARE(SignaturesEngine::signatureFileURL(QString()), std::optional(folder + QStringLiteral("/.mailsignature")));
    // Ids come from a file anyone can edit: none may reach outside the folder.
    for (const QString &hostile : {QStringLiteral("../../../../etc/passwd"), QStringLiteral("a/b"),
                                   QStringLiteral("."), QStringLiteral(".."), QStringLiteral("/abs"),
                                   QString::fromUtf16(u"nul\0x", 5)})
        QVERIFY2(!SignaturesEngine::signatureFileURL(hostile), qPrintable(hostile));
    // A link in place of a signature file is never followed.
    QFile::link(env.home() + QStringLiteral("/outside"), folder + QStringLiteral("/LINK.mailsignature"));
    QVERIFY(!SignaturesEngine::signatureFileURL(QStringLiteral("LINK")));
}

QTEST_GUILESS_MAIN(TestMailFolders)
#include "tst_mailfolders.moc"
