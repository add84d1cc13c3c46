#include "access/AccessEngineServices.h"
#include "access/FolderMonitor.h"
#include "store/SignatureListUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/access/FolderChooserDriver.h"
#include "tests/common/MailFixture.h"
#include "tests/common/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QSaveFile>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

// Each case watches the signatures folder with its own monitor whose delegate
// is an engine that is still waiting for access, so it has no monitor of its
// own: every reload of its list comes from the monitor under test.
class FolderMonitorTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void burstOfChangesIsOneReload();
    void changeIsReported_data();
    void changeIsReported();
    void changesBeforeTheStartAreNotReported();
    void delegateIsHeldWeakly();
    void destroyedMonitorReportsNothing();

private:
    static bool atomicWrite(const QString &path, const QByteArray &bytes);
    static void waitPastOneBatch() { QTest::qWait(FolderMonitor::latencyMilliseconds * 2); }

    TestEnvironment m_environment;
    QString m_folder;
    std::unique_ptr<MailFixture> m_fixture;
    QList<MailFixture::Entry> m_sample;
    std::unique_ptr<SignaturesEngine> m_engine;
    std::unique_ptr<QSignalSpy> m_reloads;
};

void FolderMonitorTest::initTestCase()
{
    QVERIFY(m_environment.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("SignatureTests"));
    QCoreApplication::setApplicationName(QStringLiteral("FolderMonitorTest"));
}

void FolderMonitorTest::init()
{
    QDir(m_environment.home() + QStringLiteral("/Library")).removeRecursively();
    m_folder = m_environment.makeSignaturesFolder();
    m_fixture = std::make_unique<MailFixture>(m_folder);
    m_sample = m_fixture->writeSample();
    m_engine = std::make_unique<SignaturesEngine>(std::make_unique<AccessEngineServices>());
    const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
    QCOMPARE(choosers.size(), 1);
    QVERIFY(FolderChooserDriver::cancel(choosers.first()));
    QVERIFY(!m_engine->folderMonitor());
    m_reloads = std::make_unique<QSignalSpy>(m_engine->uiModel(), &SignatureListUIModel::changed);
}

void FolderMonitorTest::cleanup()
{
    m_reloads.reset();
    m_engine.reset();
    FolderChooserDriver::closeAll();
}

bool FolderMonitorTest::atomicWrite(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

void FolderMonitorTest::burstOfChangesIsOneReload()
{
    FolderMonitor monitor(m_folder);
    monitor.setDelegate(m_engine.get());
    monitor.startMonitoring();
    QCOMPARE(monitor.folderURL(), m_folder);

    QElapsedTimer sinceFirstChange;
    sinceFirstChange.start();
    const QList<MailFixture::Entry> entries{{QStringLiteral("A1"), QStringLiteral("Alpha")},
                                            {QStringLiteral("B2"), QStringLiteral("Beta")}};
    QVERIFY(m_fixture->writeSignature(QStringLiteral("A1"), "<b>a</b>"));
    QVERIFY(m_fixture->writeSignature(QStringLiteral("B2"), "<b>b</b>"));
    QVERIFY(atomicWrite(m_fixture->listFile(), MailFixture::listXml(entries)));

    QTRY_COMPARE_WITH_TIMEOUT(m_reloads->count(), 1, 5000);
    // The batch is delivered after the latency, not at the first change.
    QVERIFY(sinceFirstChange.elapsed() >= FolderMonitor::latencyMilliseconds * 8 / 10);
    QCOMPARE(m_engine->uiModel()->signatures().get().size(), 2);
    QCOMPARE(m_engine->uiModel()->signatures().get().first().name, QStringLiteral("Alpha"));
    // Reloading reads the folder; that must not count as a change.
    waitPastOneBatch();
    QCOMPARE(m_reloads->count(), 1);
}

void FolderMonitorTest::changeIsReported_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("file added") << QStringLiteral("add");
    QTest::newRow("file removed") << QStringLiteral("remove");
    QTest::newRow("list replaced by rename") << QStringLiteral("replace");
    QTest::newRow("list rewritten in place") << QStringLiteral("rewrite");
    QTest::newRow("permissions changed") << QStringLiteral("chmod");
}

void FolderMonitorTest::changeIsReported()
{
    QFETCH(QString, change);
    FolderMonitor monitor(m_folder);
    monitor.setDelegate(m_engine.get());
    monitor.startMonitoring();

    // The same change twice, one batch apart: the second must be seen too,
    // also after the first replaced the watched file.
    for (int round = 1; round <= 2; ++round) {
        const QList<MailFixture::Entry> entries{{QStringLiteral("R%1").arg(round), QStringLiteral("Round %1").arg(round)}};
        if (change == QLatin1String("add"))
            QVERIFY(m_fixture->writeSignature(QStringLiteral("new%1").arg(round), "<p>new</p>"));
        else if (change == QLatin1String("remove"))
            QVERIFY(QFile::remove(m_fixture->signatureFile(m_sample.at(round).id)));
        else if (change == QLatin1String("replace"))
            QVERIFY(atomicWrite(m_fixture->listFile(), MailFixture::listXml(entries)));
        else if (change == QLatin1String("rewrite"))
            QVERIFY(m_fixture->writeList(entries));
        else if (change == QLatin1String("chmod"))
            QVERIFY(QFile::setPermissions(m_fixture->listFile(), round == 1 ? QFileDevice::ReadOwner
                                                                             : QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QTRY_COMPARE_WITH_TIMEOUT(m_reloads->count(), round, 5000);
        if (change == QLatin1String("replace") || change == QLatin1String("rewrite"))
            QCOMPARE(m_engine->uiModel()->signatures().get().first().name, entries.first().name);
    }
}

void FolderMonitorTest::changesBeforeTheStartAreNotReported()
{
    FolderMonitor monitor(m_folder);
    monitor.setDelegate(m_engine.get());
    QVERIFY(m_fixture->writeSignature(QStringLiteral("early"), "<p>early</p>"));
    waitPastOneBatch();
    QCOMPARE(m_reloads->count(), 0);

    QVERIFY(m_fixture->writeSignature(QStringLiteral("between"), "<p>between</p>"));
    monitor.startMonitoring();
    waitPastOneBatch();
    QCOMPARE(m_reloads->count(), 0);
}

void FolderMonitorTest::delegateIsHeldWeakly()
{
    FolderMonitor monitor(m_folder);
    monitor.setDelegate(m_engine.get());
    monitor.startMonitoring();
    QCOMPARE(monitor.delegate(), m_engine.get());
    m_reloads.reset();
    m_engine.reset();
    QVERIFY(!monitor.delegate());
    // A batch with nobody to tell is dropped quietly.
    QVERIFY(m_fixture->writeList({}));
    waitPastOneBatch();
}

void FolderMonitorTest::destroyedMonitorReportsNothing()
{
    auto monitor = std::make_unique<FolderMonitor>(m_folder);
    monitor->setDelegate(m_engine.get());
    monitor->startMonitoring();
    QVERIFY(m_fixture->writeList({}));
    // Destroyed with a batch under way.
    QTest::qWait(100);
    monitor.reset();
    QVERIFY(m_fixture->writeSignature(QStringLiteral("late"), "<p>late</p>"));
    waitPastOneBatch();
    QCOMPARE(m_reloads->count(), 0);
}

QTEST_MAIN(FolderMonitorTest)
#include "FolderMonitorTest.moc"
