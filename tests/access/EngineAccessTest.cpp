#include "access/AccessEngineServices.h"
#include "access/FolderAccess.h"
#include "access/FolderMonitor.h"
#include "platform/FolderBookmark.h"
#include "platform/Platform.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/FolderChooserDriver.h"
#include "tests/common/MailFixture.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestEnvironment.h"

#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QSaveFile>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

// The engine with its real access services: bookmark, chooser and monitor.
class EngineAccessTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void storedBookmarkRunsAtOnce();
    void chooserBringsTheEngineToRunning();
    void cancelledChooserThenAuthorizeAgain();
    void secondGrantKeepsTheOneMonitor();
    void outsideChangeReloadsTheList_data();
    void outsideChangeReloadsTheList();
    void insertIsFollowedByTheMonitorsReload();
    void confirmAfterTheEngineIsGoneStillSaves();

private:
    static QStringList names(const SignaturesEngine &engine);
    // What the top bar's authorise button does.
    static void authorize(SignaturesEngine *engine);
    QStringList sampleNames() const;

    TestEnvironment m_environment;
    std::unique_ptr<MailFixture> m_fixture;
    QList<MailFixture::Entry> m_sample;
};

void EngineAccessTest::initTestCase()
{
    QVERIFY(m_environment.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("SignatureTests"));
    QCoreApplication::setApplicationName(QStringLiteral("EngineAccessTest"));
}

void EngineAccessTest::init()
{
    QSettings().remove(QLatin1String(FolderAccess::bookmarkKey));
    QDir(m_environment.home() + QStringLiteral("/Library")).removeRecursively();
    m_fixture = std::make_unique<MailFixture>(m_environment.makeSignaturesFolder());
    m_sample = m_fixture->writeSample();
}

void EngineAccessTest::cleanup()
{
    FolderChooserDriver::closeAll();
}

QStringList EngineAccessTest::names(const SignaturesEngine &engine)
{
    QStringList result;
    for (const SignatureModel &signature : engine.uiModel()->signatures().get())
        result.append(signature.name);
    return result;
}

QStringList EngineAccessTest::sampleNames() const
{
    QStringList result;
    for (const MailFixture::Entry &entry : m_sample)
        result.append(entry.name);
    return result;
}

void EngineAccessTest::authorize(SignaturesEngine *engine)
{
    QPointer<SignaturesEngine> weak(engine);
    engine->services().requestFolderAccess([weak](bool granted) {
        if (granted && weak)
            weak->accessGranted();
    });
}

void EngineAccessTest::storedBookmarkRunsAtOnce()
{
    FolderAccess::saveFolderBookmark(m_environment.mailFolder());
    std::unique_ptr<SignaturesEngine> engine;
    QStringList printed;
    {
        StdoutCapture capture;
        engine = std::make_unique<SignaturesEngine>(std::make_unique<AccessEngineServices>());
        printed = capture.lines();
    }
    QCOMPARE(printed, QStringList{QStringLiteral("Security scoped resource accessed.")});
    QVERIFY(engine->accessAuthorize()->isAuthorized().get());
    auto *monitor = qobject_cast<FolderMonitor *>(engine->folderMonitor());
    QVERIFY(monitor);
    QCOMPARE(monitor->folderURL(), m_fixture->folder());
    QCOMPARE(monitor->delegate(), engine.get());
    QVERIFY(monitor->isMonitoring());
    QCOMPARE(names(*engine), sampleNames());
    QVERIFY(FolderChooserDriver::openChoosers().isEmpty());
}

void EngineAccessTest::chooserBringsTheEngineToRunning()
{
    SignaturesEngine engine(std::make_unique<AccessEngineServices>());
    // Construction returns with the chooser open and nothing granted yet.
    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 1);
    QVERIFY(!engine.accessAuthorize()->isAuthorized().get());
    QVERIFY(!engine.folderMonitor());
    QVERIFY(names(engine).isEmpty());

    QStringList printed;
    bool confirmed = false;
    {
        StdoutCapture capture;
        confirmed = FolderChooserDriver::confirm(choosers.first(), m_environment.mailFolder());
        printed = capture.lines();
    }
    QVERIFY(confirmed);
    QCOMPARE(printed, (QStringList{QStringLiteral("CREATE BOOKMARK"), QStringLiteral("Bookmark created and saved.")}));
    QVERIFY(engine.accessAuthorize()->isAuthorized().get());
    QVERIFY(qobject_cast<FolderMonitor *>(engine.folderMonitor()));
    QCOMPARE(names(engine), sampleNames());
    // The next start restores without asking.
    QCOMPARE(FolderAccess::restoreFolderAccess(), std::optional<QString>(m_environment.mailFolder()));
}

void EngineAccessTest::cancelledChooserThenAuthorizeAgain()
{
    SignaturesEngine engine(std::make_unique<AccessEngineServices>());
    QVERIFY(FolderChooserDriver::cancel(FolderChooserDriver::openChoosers().value(0)));
    QVERIFY(!engine.accessAuthorize()->isAuthorized().get());
    QVERIFY(names(engine).isEmpty());
    QVERIFY(!QSettings().contains(QLatin1String(FolderAccess::bookmarkKey)));

    authorize(&engine);
    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 1);
    QVERIFY(FolderChooserDriver::confirm(choosers.first(), m_environment.mailFolder()));
    QVERIFY(engine.accessAuthorize()->isAuthorized().get());
    QVERIFY(engine.folderMonitor());
    QCOMPARE(names(engine), sampleNames());
}

void EngineAccessTest::secondGrantKeepsTheOneMonitor()
{
    SignaturesEngine engine(std::make_unique<AccessEngineServices>());
    authorize(&engine);
    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 2);
    QSignalSpy authorizations(engine.accessAuthorize(), &SignaturesEngineAccessAuthorize::changed);
    QSignalSpy reloads(engine.uiModel(), &SignatureListUIModel::changed);

    QVERIFY(FolderChooserDriver::confirm(choosers[0], m_environment.mailFolder()));
    QObject *monitor = engine.folderMonitor();
    QVERIFY(monitor);
    QVERIFY(FolderChooserDriver::confirm(choosers[1], m_environment.mailFolder()));

    QCOMPARE(engine.folderMonitor(), monitor);
    QCOMPARE(authorizations.count(), 1);
    QCOMPARE(reloads.count(), 2);
    QCOMPARE(names(engine), sampleNames());
}

void EngineAccessTest::outsideChangeReloadsTheList_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("list rewritten in place") << true;
    QTest::newRow("list replaced by another program's save") << false;
}

void EngineAccessTest::outsideChangeReloadsTheList()
{
    QFETCH(bool, inPlace);
    FolderAccess::saveFolderBookmark(m_environment.mailFolder());
    SignaturesEngine engine(std::make_unique<AccessEngineServices>());
    QCOMPARE(names(engine), sampleNames());

    QList<MailFixture::Entry> entries = m_sample;
    entries.append({QStringLiteral("C0FFEE00-0000-4000-8000-000000000001"), QStringLiteral("Added elsewhere")});
    QVERIFY(m_fixture->writeSignature(entries.last().id, "<p>new</p>"));
    if (inPlace) {
        QVERIFY(m_fixture->writeList(entries));
    } else {
        QSaveFile list(m_fixture->listFile());
        const QByteArray xml = MailFixture::listXml(entries);
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write(xml) == xml.size() && list.commit());
    }
    QTRY_COMPARE_WITH_TIMEOUT(names(engine), sampleNames() << QStringLiteral("Added elsewhere"), 5000);
}

void EngineAccessTest::insertIsFollowedByTheMonitorsReload()
{
    FolderAccess::saveFolderBookmark(m_environment.mailFolder());
    SignaturesEngine engine(std::make_unique<AccessEngineServices>());
    engine.selectionUiModel()->signature().set(engine.uiModel()->signatures().get().first());
    QSignalSpy reloads(engine.uiModel(), &SignatureListUIModel::changed);

    engine.insertSignature(QStringLiteral("<p>Inserted</p>"));
    QCOMPARE(reloads.count(), 1);
    QVERIFY(TestEnvironment::readFile(m_fixture->signatureFile(m_sample.first().id)).endsWith("<p>Inserted</p>"));
    // The file was replaced, which the monitor reports about a second later.
    QTRY_VERIFY_WITH_TIMEOUT(reloads.count() >= 2, 5000);
    QCOMPARE(names(engine), sampleNames());
}

void EngineAccessTest::confirmAfterTheEngineIsGoneStillSaves()
{
    auto engine = std::make_unique<SignaturesEngine>(std::make_unique<AccessEngineServices>());
    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 1);
    engine.reset();
    QVERIFY(FolderChooserDriver::confirm(choosers.first(), m_environment.mailFolder()));
    QCOMPARE(FolderAccess::restoreFolderAccess(), std::optional<QString>(m_environment.mailFolder()));
}

QTEST_MAIN(EngineAccessTest)
#include "EngineAccessTest.moc"
