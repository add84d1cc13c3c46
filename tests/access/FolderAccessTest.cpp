#include "access/FolderAccess.h"
#include "platform/FolderBookmark.h"
#include "platform/Platform.h"
#include "tests/access/FolderChooserDriver.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestEnvironment.h"

#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QSettings>
#include <QtTest>

#include <unistd.h>

namespace {

const QString bookmarkKey = QLatin1String(FolderAccess::bookmarkKey);

std::optional<QString> storedBookmarkFolder()
{
    const QVariant stored = QSettings().value(bookmarkKey);
    if (!stored.isValid())
        return std::nullopt;
    QString error;
    const std::optional<FolderBookmark::Resolved> resolved = Platform::folderBookmark().resolve(stored.toByteArray(), &error);
    return resolved ? std::optional<QString>(resolved->folder) : std::nullopt;
}

void storeBookmarkOf(const QString &folder)
{
    QString error;
    QSettings().setValue(bookmarkKey, Platform::folderBookmark().create(folder, &error).value_or(QByteArray()));
}

// Every answer the choosers gave, in order. The record outlives the test
// function, as a chooser left open is only answered at cleanup.
class Answers
{
public:
    std::function<void(bool)> collector()
    {
        return [record = m_record](bool value) { record->append(value); };
    }
    const QList<bool> &granted() const { return *m_record; }

private:
    std::shared_ptr<QList<bool>> m_record = std::make_shared<QList<bool>>();
};

} // namespace

class FolderAccessTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void restoreFolderAccess_data();
    void restoreFolderAccess();
    void restoreFailsWhenTheFolderCannotBeOpened();

    void chooserIsANonModalFolderChooserInTheMailFolder();
    void chooserAnswer_data();
    void chooserAnswer();
    void secondConfirmedChooserReplacesTheBookmark();
    void chooserGoneWithoutAnswerCompletesOnce();

    void saveFolderBookmark();

private:
    TestEnvironment m_environment;
};

void FolderAccessTest::initTestCase()
{
    QVERIFY(m_environment.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("SignatureTests"));
    QCoreApplication::setApplicationName(QStringLiteral("FolderAccessTest"));
}

void FolderAccessTest::init()
{
    QSettings().remove(bookmarkKey);
    QDir(m_environment.home() + QStringLiteral("/Library")).removeRecursively();
    m_environment.makeSignaturesFolder();
}

void FolderAccessTest::cleanup()
{
    FolderChooserDriver::closeAll();
}

void FolderAccessTest::restoreFolderAccess_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("first run") << QStringLiteral("none") << false << QStringList{};
    QTest::newRow("usable") << QStringLiteral("usable") << true
                            << QStringList{QStringLiteral("Security scoped resource accessed.")};
    QTest::newRow("folder replaced") << QStringLiteral("stale") << true
                                     << QStringList{QStringLiteral("Bookmark data is stale, consider re-saving the bookmark."),
                                                    QStringLiteral("Security scoped resource accessed.")};
    QTest::newRow("folder gone")
        << QStringLiteral("gone") << false
        << QStringList{QStringLiteral("Failed to resolve bookmark: %MAIL%: No such file or directory")};
    QTest::newRow("garbage")
        << QStringLiteral("garbage") << false
        << QStringList{QStringLiteral("Failed to resolve bookmark: The bookmark data is not in a format that can be read.")};
}

void FolderAccessTest::restoreFolderAccess()
{
    QFETCH(QString, situation);
    QFETCH(bool, restored);
    QFETCH(QStringList, lines);
    const QString mail = m_environment.mailFolder();
    if (situation != QLatin1String("none"))
        storeBookmarkOf(mail);
    if (situation == QLatin1String("stale"))
        QVERIFY(QDir().rename(mail, mail + QStringLiteral(".old")) && QDir().mkpath(mail));
    if (situation == QLatin1String("gone"))
        QVERIFY(QDir(mail).removeRecursively());
    if (situation == QLatin1String("garbage"))
        QSettings().setValue(bookmarkKey, QByteArray("not a bookmark"));
    const QVariant before = QSettings().value(bookmarkKey);

    std::optional<QString> folder;
    QStringList printed;
    {
        StdoutCapture capture;
        folder = FolderAccess::restoreFolderAccess();
        printed = capture.lines();
    }
    QCOMPARE(printed, lines.replaceInStrings(QStringLiteral("%MAIL%"), mail));
    QCOMPARE(folder.has_value(), restored);
    if (restored)
        QCOMPARE(*folder, mail);
    // Restoring never rewrites the stored value, stale or not.
    QCOMPARE(QSettings().value(bookmarkKey), before);
}

void FolderAccessTest::restoreFailsWhenTheFolderCannotBeOpened()
{
    if (::geteuid() == 0)
        QSKIP("Every folder can be listed by root.");
    const QString mail = m_environment.mailFolder();
    storeBookmarkOf(mail);
    QVERIFY(QFile::setPermissions(mail, QFileDevice::WriteOwner));
    std::optional<QString> folder;
    QStringList printed;
    {
        StdoutCapture capture;
        folder = FolderAccess::restoreFolderAccess();
        printed = capture.lines();
    }
    QFile::setPermissions(mail, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(printed, QStringList{QStringLiteral("Failed to access security-scoped resource.")});
    QVERIFY(!folder);
}

void FolderAccessTest::chooserIsANonModalFolderChooserInTheMailFolder()
{
    Answers answers;
    FolderAccess::requestFolderAccess(answers.collector());
    QVERIFY(answers.granted().isEmpty());

    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 1);
    QFileDialog *chooser = choosers.first();
    QCOMPARE(chooser->windowTitle(), QStringLiteral("Select the Mail folder to authorize access"));
    QCOMPARE(chooser->labelText(QFileDialog::Accept), QStringLiteral("Authorize"));
    QVERIFY(FolderChooserDriver::button(chooser, QStringLiteral("Authorize")));
    QCOMPARE(chooser->fileMode(), QFileDialog::Directory);
    QVERIFY(chooser->testOption(QFileDialog::ShowDirsOnly));
    QCOMPARE(chooser->directory().absolutePath(), m_environment.mailFolder());
    QVERIFY(!chooser->isModal());
    QCOMPARE(chooser->windowModality(), Qt::NonModal);
}

void FolderAccessTest::chooserAnswer_data()
{
    QTest::addColumn<QString>("mailLayout");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("granted");
    QTest::addColumn<QStringList>("lines");

    const QStringList saved{QStringLiteral("CREATE BOOKMARK"), QStringLiteral("Bookmark created and saved.")};
    QTest::newRow("Mail folder confirmed") << QStringLiteral("V10") << true << QStringLiteral("%MAIL%") << true << saved;
    QTest::newRow("another folder confirmed")
        << QStringLiteral("V10") << true << QStringLiteral("%HOME%/Documents") << true << saved;
    QTest::newRow("cancelled") << QStringLiteral("V10") << false << QStringLiteral("%MAIL%") << false << QStringList{};
    QTest::newRow("no version folder") << QStringLiteral("v10") << true << QStringLiteral("%MAIL%") << false
                                       << QStringList{QStringLiteral("No folder starting with 'V' found.")};
    QTest::newRow("no Mail folder")
        << QString() << true << QStringLiteral("%HOME%") << false
        << QStringList{QStringLiteral("Error while accessing directory: %MAIL%: No such file or directory")};
}

void FolderAccessTest::chooserAnswer()
{
    QFETCH(QString, mailLayout);
    QFETCH(bool, confirm);
    QFETCH(QString, chosen);
    QFETCH(bool, granted);
    QFETCH(QStringList, lines);
    const QString mail = m_environment.mailFolder();
    QDir(mail).removeRecursively();
    if (!mailLayout.isEmpty())
        m_environment.makeSignaturesFolder(mailLayout);
    chosen.replace(QStringLiteral("%MAIL%"), mail).replace(QStringLiteral("%HOME%"), m_environment.home());
    QVERIFY(QDir().mkpath(chosen));

    Answers answers;
    FolderAccess::requestFolderAccess(answers.collector());
    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 1);
    QPointer<QFileDialog> chooser = choosers.first();
    QStringList printed;
    bool answered = false;
    {
        StdoutCapture capture;
        answered = confirm ? FolderChooserDriver::confirm(chooser, chosen) : FolderChooserDriver::cancel(chooser);
        printed = capture.lines();
    }
    QVERIFY(answered);
    QCOMPARE(printed, lines.replaceInStrings(QStringLiteral("%MAIL%"), mail));
    QCOMPARE(answers.granted(), QList<bool>{granted});
    QCOMPARE(storedBookmarkFolder(), granted ? std::optional<QString>(chosen) : std::nullopt);
    // The chooser deletes itself once answered.
    QTRY_VERIFY(chooser.isNull());
    QCOMPARE(answers.granted().size(), 1);
}

void FolderAccessTest::secondConfirmedChooserReplacesTheBookmark()
{
    const QString other = m_environment.home() + QStringLiteral("/Other");
    QVERIFY(QDir().mkpath(other));
    Answers first;
    Answers second;
    FolderAccess::requestFolderAccess(first.collector());
    FolderAccess::requestFolderAccess(second.collector());
    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 2);

    StdoutCapture capture;
    QVERIFY(FolderChooserDriver::confirm(choosers[0], m_environment.mailFolder()));
    QCOMPARE(storedBookmarkFolder(), std::optional<QString>(m_environment.mailFolder()));
    QVERIFY(FolderChooserDriver::confirm(choosers[1], other));
    const QStringList printed = capture.lines();
    QCOMPARE(printed.count(QStringLiteral("Bookmark created and saved.")), 2);
    QCOMPARE(first.granted(), QList<bool>{true});
    QCOMPARE(second.granted(), QList<bool>{true});
    QCOMPARE(storedBookmarkFolder(), std::optional<QString>(other));
}

void FolderAccessTest::chooserGoneWithoutAnswerCompletesOnce()
{
    Answers answers;
    FolderAccess::requestFolderAccess(answers.collector());
    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 1);
    delete choosers.first();
    QCOMPARE(answers.granted(), QList<bool>{false});
    QVERIFY(!QSettings().contains(bookmarkKey));
}

void FolderAccessTest::saveFolderBookmark()
{
    const QString missing = m_environment.home() + QStringLiteral("/Missing");
    storeBookmarkOf(m_environment.mailFolder());
    const QVariant earlier = QSettings().value(bookmarkKey);
    QStringList printed;
    {
        StdoutCapture capture;
        FolderAccess::saveFolderBookmark(missing);
        printed = capture.lines();
    }
    QCOMPARE(printed, QStringList{QStringLiteral("Failed to create bookmark: %1: No such file or directory").arg(missing)});
    QCOMPARE(QSettings().value(bookmarkKey), earlier);

    const QString documents = m_environment.home() + QStringLiteral("/Documents");
    QVERIFY(QDir().mkpath(documents));
    {
        StdoutCapture capture;
        FolderAccess::saveFolderBookmark(documents);
        printed = capture.lines();
    }
    QCOMPARE(printed, QStringList{QStringLiteral("Bookmark created and saved.")});
    QCOMPARE(storedBookmarkFolder(), std::optional<QString>(documents));
}

QTEST_MAIN(FolderAccessTest)
#include "FolderAccessTest.moc"
