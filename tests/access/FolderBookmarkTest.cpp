#include "platform/FolderBookmark.h"
#include "platform/Platform.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class FolderBookmarkTest : public QObject
{
    Q_OBJECT
private slots:
    void resolvesToTheSameFolder_data();
    void resolvesToTheSameFolder();
    void folderReplacedAtItsPathIsStale();
    void missingFolderDoesNotResolve();
    void cannotBookmarkWhatIsNotAFolder();
    void unreadableBlobDoesNotResolve_data();
    void unreadableBlobDoesNotResolve();
    void accessNeedsAListableFolder();
};

void FolderBookmarkTest::resolvesToTheSameFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << QStringLiteral("Mail");
    QTest::newRow("spaces and accents") << QStringLiteral("Courrier électronique");
    QTest::newRow("quotes") << QStringLiteral("a\"b'c");
}

void FolderBookmarkTest::resolvesToTheSameFolder()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/') + name;
    QVERIFY(QDir().mkpath(folder));
    FolderBookmark &bookmarks = Platform::folderBookmark();
    QString error;
    // A trailing slash names the same folder.
    const std::optional<QByteArray> blob = bookmarks.create(folder + QLatin1Char('/'), &error);
    QVERIFY2(blob, qPrintable(error));
    const std::optional<FolderBookmark::Resolved> resolved = bookmarks.resolve(*blob, &error);
    QVERIFY2(resolved, qPrintable(error));
    QCOMPARE(resolved->folder, folder);
    QVERIFY(!resolved->isStale);
}

void FolderBookmarkTest::folderReplacedAtItsPathIsStale()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Mail");
    QVERIFY(QDir().mkpath(folder));
    QString error;
    const std::optional<QByteArray> blob = Platform::folderBookmark().create(folder, &error);
    QVERIFY(blob);
    QVERIFY(QDir().rename(folder, folder + QStringLiteral(".old")) && QDir().mkpath(folder));

    const std::optional<FolderBookmark::Resolved> resolved = Platform::folderBookmark().resolve(*blob, &error);
    QVERIFY2(resolved, qPrintable(error));
    QCOMPARE(resolved->folder, folder);
    QVERIFY(resolved->isStale);
}

void FolderBookmarkTest::missingFolderDoesNotResolve()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Mail");
    QVERIFY(QDir().mkpath(folder));
    QString error;
    const std::optional<QByteArray> blob = Platform::folderBookmark().create(folder, &error);
    QVERIFY(blob && QDir(folder).removeRecursively());

    QVERIFY(!Platform::folderBookmark().resolve(*blob, &error));
    QCOMPARE(error, folder + QStringLiteral(": No such file or directory"));
}

void FolderBookmarkTest::cannotBookmarkWhatIsNotAFolder()
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/file");
    QFile touch(file);
    QVERIFY(touch.open(QIODevice::WriteOnly));
    touch.close();
    QString error;
    QVERIFY(!Platform::folderBookmark().create(file, &error));
    QCOMPARE(error, file + QStringLiteral(": Not a directory"));
    QVERIFY(!Platform::folderBookmark().create(dir.path() + QStringLiteral("/missing"), &error));
    QCOMPARE(error, dir.path() + QStringLiteral("/missing: No such file or directory"));
}

void FolderBookmarkTest::unreadableBlobDoesNotResolve_data()
{
    QTest::addColumn<QByteArray>("blob");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not json") << QByteArray("\x00\x01garbage", 9);
    QTest::newRow("other version")
        << QByteArray(R"({"kind":"folder-bookmark","version":2,"path":"/tmp","device":"1","inode":"2"})");
    QTest::newRow("no inode") << QByteArray(R"({"kind":"folder-bookmark","version":1,"path":"/tmp","device":"1"})");
    QTest::newRow("relative path")
        << QByteArray(R"({"kind":"folder-bookmark","version":1,"path":"tmp","device":"1","inode":"2"})");
}

void FolderBookmarkTest::unreadableBlobDoesNotResolve()
{
    QFETCH(QByteArray, blob);
    QString error;
    QVERIFY(!Platform::folderBookmark().resolve(blob, &error));
    QCOMPARE(error, QStringLiteral("The bookmark data is not in a format that can be read."));
}

void FolderBookmarkTest::accessNeedsAListableFolder()
{
    QTemporaryDir dir;
    QVERIFY(Platform::folderBookmark().startAccessing(dir.path()));
    QVERIFY(!Platform::folderBookmark().startAccessing(dir.path() + QStringLiteral("/missing")));
}

QTEST_GUILESS_MAIN(FolderBookmarkTest)
#include "FolderBookmarkTest.moc"
