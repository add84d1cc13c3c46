#include "access/AccessEngineServices.h"
#include "access/FolderAccess.h"
#include "access/FolderMonitor.h"
#include "store/SignatureListUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/FolderChooserDriver.h"
#include "tests/common/MailFixture.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestEnvironment.h"

#include <QFileDialog>
#include <QSaveFile>
#include <QSettings>
#include <QtTest>

using namespace Qt::StringLiterals;

template <typename Action> static QStringList printedBy(Action action)
{
    StdoutCapture capture;
    action();
    return capture.lines();
}

class FolderAccessTest : public QObject
{
    Q_OBJECT
    TestEnvironment env;
    const QString mail = env.mailFolder();
    const QStringList saved{u"CREATE BOOKMARK"_s, u"Bookmark created and saved."_s};
    const QString accessed = u"Security scoped resource accessed."_s;
    std::unique_ptr<MailFixture> fixture;

    QList<SignatureModel> sample() const { return SignaturesEngine::readSignatureList(fixture->listFile()).value(); }
    static const QList<SignatureModel> &list(const SignaturesEngine &e) { return e.uiModel()->signatures().get(); }
    static bool authorized(const SignaturesEngine &engine) { return engine.accessAuthorize()->isAuthorized().get(); }
    static auto makeEngine() { return std::make_unique<SignaturesEngine>(std::make_unique<AccessEngineServices>()); }

private slots:
    void init()
    {
        QSettings().remove(FolderAccess::bookmarkKey);
        QDir(mail).removeRecursively();
        fixture = std::make_unique<MailFixture>(env.makeSignaturesFolder());
        fixture->writeSample();
    }
    void cleanup() { FolderChooserDriver::closeAll(); }

    void restoreFolderAccess_data()
    {
        QTest::addColumn<QStringList>("lines"); // restored when the last line says so
        const QString failed = u"Failed to resolve bookmark: "_s;
        QTest::newRow("none") << QStringList{};
        QTest::newRow("usable") << QStringList{accessed};
        QTest::newRow("stale") << QStringList{u"Bookmark data is stale, consider re-saving the bookmark."_s, accessed};
        QTest::newRow("gone") << QStringList{failed + u"%1: No such file or directory"_s};
        QTest::newRow("garbage") << QStringList{failed + u"The bookmark data is not in a format that can be read."_s};
        QTest::newRow("unlistable") << QStringList{u"Failed to access security-scoped resource."_s};
    }
    void restoreFolderAccess()
    {
        QFETCH(QStringList, lines);
        const QByteArray situation = QTest::currentDataTag();
        if (situation == "unlistable" && ::geteuid() == 0)
            QSKIP("Every folder can be listed by root.");
        if (situation != "none")
            FolderAccess::saveFolderBookmark(mail);
        if (situation == "stale")
            QVERIFY(QDir().rename(mail, mail + u".old"_s) && QDir().mkpath(mail));
        if (situation == "gone")
            QVERIFY(QDir(mail).removeRecursively());
        if (situation == "garbage")
            QSettings().setValue(FolderAccess::bookmarkKey, "\0{}"_ba);
        if (situation == "unlistable")
            QVERIFY(QFile::setPermissions(mail, QFileDevice::WriteOwner));
        const QVariant before = QSettings().value(FolderAccess::bookmarkKey);
        std::optional<QString> folder;
        const QStringList printed = printedBy([&folder] { folder = FolderAccess::restoreFolderAccess(); });
        QFile::setPermissions(mail, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(printed, lines.replaceInStrings(u"%1"_s, mail));
        QCOMPARE(folder, lines.endsWith(accessed) ? std::optional(mail) : std::nullopt);
        QCOMPARE(QSettings().value(FolderAccess::bookmarkKey), before); // a stale one is not rewritten
    }

    void requestFolderAccess_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("lines"); // granted when a bookmark was saved
        const QString saves = saved.join(u'\n');
        QTest::newRow("Mail folder confirmed") << u"V10"_s << u"confirm"_s << mail << saves;
        QTest::newRow("other folder confirmed") << u"V10"_s << u"confirm"_s << env.home() + u"/Documents"_s << saves;
        QTest::newRow("cancelled") << u"V10"_s << u"cancel"_s << mail << QString();
        QTest::newRow("closed unanswered") << u"V10"_s << u"close"_s << mail << QString();
        QTest::newRow("no V folder") << u"v10"_s << u"confirm"_s << mail << u"No folder starting with 'V' found."_s;
        QTest::newRow("no Mail folder") << QString() << u"confirm"_s << env.home()
                                        << u"Error while accessing directory: %1: No such file or directory"_s;
    }
    void requestFolderAccess()
    {
        QFETCH(QString, layout);
        QFETCH(QString, answer);
        QFETCH(QString, chosen);
        QFETCH(QString, lines);
        QDir(mail).removeRecursively();
        if (!layout.isEmpty())
            env.makeSignaturesFolder(layout);
        QVERIFY(QDir().mkpath(chosen));
        // Outlives this function, as a chooser left open is only answered at cleanup.
        auto granted = std::make_shared<QList<bool>>();
        FolderAccess::requestFolderAccess([granted](bool value) { granted->append(value); });
        const QList<QFileDialog *> choosers = FolderChooserDriver::openChoosers();
        QVERIFY(granted->isEmpty() && choosers.size() == 1);
        QPointer<QFileDialog> chooser = choosers.first();
        QCOMPARE(chooser->windowTitle(), u"Select the Mail folder to authorize access"_s);
        QCOMPARE(chooser->labelText(QFileDialog::Accept), u"Authorize"_s);
        QVERIFY(chooser->fileMode() == QFileDialog::Directory && chooser->testOption(QFileDialog::ShowDirsOnly));
        QVERIFY(!chooser->isModal() && (layout.isEmpty() || chooser->directory().absolutePath() == mail));
        bool answered = true;
        const QStringList printed = printedBy([&] {
            if (answer == u"close")
                delete chooser;
            else
                answered = answer == u"confirm" ? FolderChooserDriver::confirm(chooser, chosen)
                                                : FolderChooserDriver::cancel(chooser);
        });
        QVERIFY(answered);
        QCOMPARE(printed.join(u'\n'), lines.replace(u"%1"_s, mail));
        QCOMPARE(*granted, QList<bool>{printed == saved});
        QCOMPARE(FolderAccess::restoreFolderAccess(), printed == saved ? std::optional(chosen) : std::nullopt);
        QTRY_VERIFY(chooser.isNull()); // it deletes itself once answered
        QCOMPARE(granted->size(), 1);
    }

    void engineRunsFromAStoredBookmarkAndFollowsOutsideChanges()
    {
        // A failed save keeps the bookmark there was.
        const QString missing = env.home() + u"/Missing"_s;
        FolderAccess::saveFolderBookmark(mail);
        QCOMPARE(printedBy([&] { FolderAccess::saveFolderBookmark(missing); }),
                 QStringList{u"Failed to create bookmark: %1: No such file or directory"_s.arg(missing)});
        std::unique_ptr<SignaturesEngine> engine;
        QCOMPARE(printedBy([&engine] { engine = makeEngine(); }), QStringList{accessed});
        auto *monitor = qobject_cast<FolderMonitor *>(engine->folderMonitor());
        QVERIFY(authorized(*engine) && FolderChooserDriver::openChoosers().isEmpty());
        QVERIFY(monitor && monitor->isMonitoring() && monitor->delegate() == engine.get());
        QCOMPARE(monitor->folderURL(), fixture->folder());
        QCOMPARE(list(*engine), sample());

        // Another program saves the list by replacing it; the list follows a second later.
        QSaveFile file(fixture->listFile());
        const QByteArray xml = MailFixture::listXml({{u"C0FFEE00-0000-4000-8000-000000000001"_s, u"Added"_s}});
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(xml) == xml.size() && file.commit());
        QTRY_COMPARE_WITH_TIMEOUT(list(*engine).value(0).name, u"Added"_s, 5000);
        QVERIFY(elapsed.elapsed() >= FolderMonitor::latencyMilliseconds * 8 / 10);
    }

    void engineIsGrantedOnceThroughTheChooser()
    {
        auto other = makeEngine();
        QVERIFY(FolderChooserDriver::cancel(FolderChooserDriver::openChoosers().value(0)));
        QVERIFY(!authorized(*other) && !other->folderMonitor() && list(*other).isEmpty() &&
                !QSettings().contains(FolderAccess::bookmarkKey));

        const auto engine = makeEngine();
        QSignalSpy authorizations(engine->accessAuthorize(), &SignaturesEngineAccessAuthorize::changed);
        QSignalSpy reloads(engine->uiModel(), &SignatureListUIModel::changed);
        QCOMPARE(printedBy([&] { FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().value(0), mail); }),
                 saved);
        QObject *monitor = engine->folderMonitor();
        QVERIFY(authorized(*engine) && qobject_cast<FolderMonitor *>(monitor));
        QCOMPARE(list(*engine), sample());
        engine->accessGranted(); // a second grant reloads, with no second monitor
        QCOMPARE(engine->folderMonitor(), monitor);
        QCOMPARE(authorizations.count(), 1);
        QCOMPARE(reloads.count(), 2);

        // A chooser answered after its engine is gone still saves.
        QSettings().remove(FolderAccess::bookmarkKey);
        other = makeEngine();
        other.reset();
        QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().value(0), mail));
        QVERIFY(QSettings().contains(FolderAccess::bookmarkKey));
    }
};

QTEST_MAIN(FolderAccessTest)
#include "FolderAccessTest.moc"
