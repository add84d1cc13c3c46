#include "access/FolderMonitor.h"
#include "store/EngineServices.h"
#include "store/SignatureListUIModel.h"
#include "tests/common/TestEnvironment.h"

#include <QSaveFile>
#include <QtTest>

using namespace Qt::StringLiterals;

// An engine that never gets access: every reload it makes comes from the monitor under test.
struct NoAccess : EngineServices
{
    std::optional<QString> restoreFolderAccess() override { return std::nullopt; }
    void requestFolderAccess(std::function<void(bool)>) override {}
    std::unique_ptr<QObject> startFolderMonitor(const QString &, SignaturesEngine *) override { return nullptr; }
};

struct Watch
{
    QString folder;
    bool made = QDir().mkpath(folder) && TestEnvironment::writeFile(folder + u"/AllSignatures.plist"_s, "<plist/>");
    std::unique_ptr<SignaturesEngine> engine = std::make_unique<SignaturesEngine>(std::make_unique<NoAccess>());
    QSignalSpy reloads{engine->uiModel(), &SignatureListUIModel::changed};
    std::unique_ptr<FolderMonitor> monitor = std::make_unique<FolderMonitor>(folder);

    bool write(const QByteArray &bytes, bool atomically = false, const QString &name = u"AllSignatures.plist"_s) const
    {
        if (!atomically)
            return TestEnvironment::writeFile(folder + u'/' + name, bytes);
        QSaveFile file(folder + u'/' + name);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    }
};

class FolderMonitorTest : public QObject
{
    Q_OBJECT
private slots:
    void reportsBatchesOfChangesFromTheStart()
    {
        TestEnvironment env;
        const int latency = FolderMonitor::latencyMilliseconds;
        Watch burst{env.home() + u"/burst"_s}, replaced{env.home() + u"/replaced"_s}, early{env.home() + u"/early"_s},
            destroyed{env.home() + u"/destroyed"_s}, orphaned{env.home() + u"/orphaned"_s};
        for (Watch *watch : {&burst, &replaced, &early, &destroyed, &orphaned}) {
            QVERIFY(watch->made);
            watch->monitor->setDelegate(watch->engine.get());
            if (watch != &early)
                watch->monitor->startMonitoring();
        }
        QVERIFY(burst.write("a", false, u"A.mailsignature"_s) && burst.write("1", true) && burst.write("2", true));
        QVERIFY(QFile::remove(burst.folder + u"/A.mailsignature"_s));
        QVERIFY(replaced.write("new", true) && early.write("early", true) && destroyed.write("late"));
        early.monitor->startMonitoring();
        orphaned.engine.reset();
        QVERIFY(!orphaned.monitor->delegate() && orphaned.write("nobody to tell"));
        QTest::qWait(100);
        destroyed.monitor.reset(); // with its batch under way

        QTest::qWait(latency * 7 / 10);
        QCOMPARE(burst.reloads.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(burst.reloads.count(), 1, latency);
        QTRY_COMPARE_WITH_TIMEOUT(replaced.reloads.count(), 1, latency);
        // The file that replaced the watched one is watched too: a rewrite in place is seen.
        QVERIFY(replaced.write("rewritten"));
        QTRY_COMPARE_WITH_TIMEOUT(replaced.reloads.count(), 2, latency * 2);
        QTest::qWait(latency / 2); // reloading reads the folder, which is no change
        QCOMPARE(burst.reloads.count(), 1);
        QCOMPARE(early.reloads.count(), 0);
        QCOMPARE(destroyed.reloads.count(), 0);
    }
};

QTEST_MAIN(FolderMonitorTest)
#include "FolderMonitorTest.moc"
