// The grant and the chooser, the folder and Mail monitors, and the clipboard, all real.
#include "access/AccessEngineServices.h"
#include "access/DroppedFile.h"
#include "access/FolderMonitor.h"
#include "access/MailMonitor.h"
#include "access/PasteModel.h"
#include "platform/Platform.h"
#include "store/SignatureListUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/FolderChooserDriver.h"
#include "tests/common/TestHome.h"

#include <QClipboard>
#include <QMessageBox>
#include <QtTest>

using Read = std::optional<QString>;

class TestAccess : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    const QStringList saved{u"CREATE BOOKMARK"_s, u"Bookmark created and saved."_s};
    const QString accessed = u"Security scoped resource accessed."_s;
    static auto makeEngine()
    {
        return std::make_unique<SignaturesEngine>(std::make_unique<AccessEngineServices>());
    }

private slots:
    void init() { home = std::make_unique<TestHome>(); }
    void cleanup()
    {
        FolderChooserDriver::closeAll();
        home.reset();
    }

    void restoreFolderAccess_data()
    {
        columns<QStringList>(); // what is printed; restored when the last line says so
        const QString failed = u"Failed to resolve bookmark: "_s;
        row("none", QStringList{});
        row("usable", QStringList{accessed});
        row("stale", QStringList{u"Bookmark data is stale, consider re-saving the bookmark."_s, accessed});
        row("gone", QStringList{failed + u"%1: No such file or directory"_s});
        row("garbage", QStringList{failed + u"The bookmark data is not in a format that can be read."_s});
    }
    void restoreFolderAccess()
    {
        if (QSysInfo::kernelType() != u"linux")
            QSKIP("The system's own bookmarks have messages of their own.");
        auto [lines] = fetch<QStringList>();
        const QString mail = home->mail();
        const QByteArray situation = QTest::currentDataTag();
        if (situation != "none")
            FolderAccess::saveFolderBookmark(mail);
        if (situation == "stale")
            QVERIFY(QDir().rename(mail, mail + u".old"_s) && QDir().mkpath(mail));
        if (situation == "gone")
            QVERIFY(QDir(mail).removeRecursively());
        if (situation == "garbage")
            QSettings().setValue(FolderAccess::bookmarkKey, "\0{}"_ba);
        const QVariant before = QSettings().value(FolderAccess::bookmarkKey);
        std::optional<QString> folder;
        QCOMPARE(TestHome::printed([&folder] { folder = FolderAccess::restoreFolderAccess(); }),
                 lines.replaceInStrings(u"%1"_s, mail));
        QCOMPARE(folder, lines.endsWith(accessed) ? std::optional(mail) : std::nullopt);
        QCOMPARE(QSettings().value(FolderAccess::bookmarkKey), before); // a stale one is not rewritten
    }

    void requestFolderAccess_data()
    {
        // The version folder in Mail's folder, the answer, the folder chosen under the home, what is printed
        // (granted when a bookmark was saved).
        columns<QString, QString, QString, QString>();
        const QString saves = saved.join(u'\n'), mail = u"/Library/Mail"_s;
        row("Mail folder confirmed", u"V10"_s, u"confirm"_s, mail, saves);
        row("other folder confirmed", u"V10"_s, u"confirm"_s, u"/Documents"_s, saves);
        row("cancelled", u"V10"_s, u"cancel"_s, mail, QString());
        row("closed unanswered", u"V10"_s, u"close"_s, mail, QString());
        row("no V folder", u"v10"_s, u"confirm"_s, mail, u"No folder starting with 'V' found."_s);
        row("no Mail folder", QString(), u"confirm"_s, QString(),
            u"Error while accessing directory: %1: No such file or directory"_s);
    }
    void requestFolderAccess()
    {
        QString layout, answer, chosen, lines; // as plain variables: the answer's lambda takes them
        std::tie(layout, answer, chosen, lines) = fetch<QString, QString, QString, QString>();
        QDir(home->mail()).removeRecursively();
        if (!layout.isEmpty())
            QVERIFY(QDir().mkpath(home->mail() + u'/' + layout));
        QVERIFY(QDir().mkpath(chosen.prepend(home->path())));
        // Outlives this function: a chooser left open is only answered at cleanup.
        auto granted = std::make_shared<QList<bool>>();
        FolderAccess::requestFolderAccess([granted](bool value) { granted->append(value); });
        QCOMPARE(tuple(granted->size(), FolderChooserDriver::openChoosers().size()), tuple(0, 1));
        QPointer<QFileDialog> chooser = FolderChooserDriver::openChoosers().first();
        QCOMPARE(tuple(chooser->isModal(), chooser->fileMode()), tuple(false, QFileDialog::Directory));
        if (!layout.isEmpty()) // it opens in Mail's folder
            QCOMPARE(chooser->directory().absolutePath(), home->mail());
        const QStringList printed = TestHome::printed([&] {
            if (answer == u"close")
                delete chooser;
            else
                QVERIFY(answer == u"confirm" ? FolderChooserDriver::confirm(chooser, chosen)
                                             : FolderChooserDriver::cancel(chooser));
        });
        QCOMPARE(printed.join(u'\n'), lines.replace(u"%1"_s, home->mail()));
        QCOMPARE(*granted, QList<bool>{printed == saved});
        QCOMPARE(FolderAccess::restoreFolderAccess(),
                 printed == saved ? std::optional(chosen) : std::nullopt);
        QTRY_VERIFY(chooser.isNull()); // it deletes itself once answered, having called back once
        QCOMPARE(granted->size(), 1);
    }

    void engineGrantedOnce()
    {
        // A failed save stores nothing.
        const QString missing = home->path() + u"/Missing"_s;
        QCOMPARE(TestHome::printed([&] { FolderAccess::saveFolderBookmark(missing); }),
                 QStringList{u"Failed to create bookmark: %1: No such file or directory"_s.arg(missing)});
        // Granted through the chooser: authorised, one real monitor on the signatures folder, the list.
        auto engine = makeEngine();
        QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().value(0), home->mail()));
        auto *monitor = qobject_cast<FolderMonitor *>(engine->folderMonitor());
        QVERIFY(engine->accessAuthorize()->isAuthorized().get());
        QVERIFY(monitor);
        QCOMPARE(tuple(monitor->isMonitoring(), monitor->delegate(), monitor->folderURL(),
                       engine->uiModel()->signatures().get().size()),
                 tuple(true, engine.get(), home->signatures(), 3));
        // The next start runs from the stored bookmark without asking.
        engine.reset();
        QCOMPARE(TestHome::printed([&engine] { engine = makeEngine(); }), QStringList{accessed});
        QCOMPARE(tuple(engine->accessAuthorize()->isAuthorized().get(),
                       FolderChooserDriver::openChoosers().size()),
                 tuple(true, 0));
        // A stored grant that no longer opens the folder: why, the other way in, then the chooser.
        engine.reset();
        QSettings().setValue(FolderAccess::bookmarkKey, "\0{}"_ba);
        engine = makeEngine();
        auto *notice = QApplication::activeModalWidget();
        QVERIFY(notice);
        const auto buttons = notice->findChildren<QPushButton *>();
        QVERIFY(qobject_cast<QMessageBox *>(notice)->text().startsWith(
            u"The access to Mail's folder granted at an earlier start no longer opens it: "_s));
        QCOMPARE(tuple(notice->objectName(), buttons.size(), FolderChooserDriver::openChoosers().size()),
                 tuple(QString::fromLatin1(FolderAccess::grantLostObjectName),
                       Platform::fullDiskAccessSettings() ? 2 : 1, 0));
        QTest::mouseClick(buttons.first(), Qt::LeftButton);
        QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
        QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().first(), home->mail()));
        QVERIFY(engine->accessAuthorize()->isAuthorized().get());
        // A chooser answered after its engine is gone still saves, and calls nobody.
        QSettings().remove(FolderAccess::bookmarkKey);
        makeEngine().reset();
        QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().value(0), home->mail()));
        QVERIFY(QSettings().contains(FolderAccess::bookmarkKey));
    }

    void folderMonitorReportsBatches()
    {
        struct Watch
        {
            QString folder;
            bool made = QDir().mkpath(folder) && TestHome::write(folder + u"/list"_s, "1");
            std::unique_ptr<SignaturesEngine> engine = grantedEngine();
            QSignalSpy reloads{engine->uiModel(), &SignatureListUIModel::changed};
            std::unique_ptr<FolderMonitor> monitor = std::make_unique<FolderMonitor>(folder);
            bool write(const QByteArray &bytes, bool atomically = true, const QString &name = u"list"_s) const
            {
                QSaveFile file(folder + u'/' + name);
                return atomically ? file.open(QIODevice::WriteOnly) && file.write(bytes) && file.commit()
                                  : TestHome::write(folder + u'/' + name, bytes);
            }
        };
        const QString at = home->path();
        Watch burst{at + u"/burst"_s}, replaced{at + u"/replaced"_s}, orphaned{at + u"/orphaned"_s};
        for (Watch *watch : {&burst, &replaced, &orphaned}) {
            QVERIFY(watch->made);
            watch->monitor->setDelegate(watch->engine.get());
            watch->monitor->startMonitoring();
        }
        // A burst of changes is one batch.
        QVERIFY(burst.write("a", false, u"A"_s) && burst.write("2") && burst.write("3"));
        QVERIFY(QFile::remove(burst.folder + u"/A"_s) && replaced.write("new"));
        orphaned.engine.reset(); // a monitor never keeps its engine
        QVERIFY(!orphaned.monitor->delegate());
        QVERIFY(orphaned.write("nobody to tell", false));
        const int latency = FolderMonitor::latencyMilliseconds;
        QTest::qWait(latency * 7 / 10);
        QCOMPARE(burst.reloads.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(burst.reloads.count(), 1, latency);
        QTRY_COMPARE_WITH_TIMEOUT(replaced.reloads.count(), 1, latency);
        // The file that replaced the watched one is watched too: a rewrite in place is seen.
        QVERIFY(replaced.write("rewritten", false));
        QTRY_COMPARE_WITH_TIMEOUT(replaced.reloads.count(), 2, latency * 2);
        QTest::qWait(latency / 2); // a reload reads the folder, which is no change
        QCOMPARE(burst.reloads.count(), 1);
    }

#ifdef TESTS_ON_LINUX
    void mailMonitorFollowsMail()
    {
        // Neither another application nor a program called Mail outside a bundle counts.
        const QString mail = TestHome::fakeApp(home->path(), u"Mail"_s, u"com.apple.mail"_s);
        QVERIFY(QFile::copy(mail, home->path() + u"/Mail"_s));
        QProcess others[2], first, second;
        others[0].start(TestHome::fakeApp(home->path(), u"Mailbox"_s, u"com.apple.mailbox"_s), {u"60"_s});
        others[1].start(home->path() + u"/Mail"_s, {u"60"_s});
        first.start(mail, {u"60"_s});
        for (QProcess *started : {&others[0], &others[1], &first})
            QVERIFY(started->waitForStarted());
        MailMonitor monitor;
        QSignalSpy changes(&monitor, &MailMonitor::changed);
        QVERIFY(!monitor.isMainRunning().get()); // the first check comes with the timer
        QTRY_VERIFY_WITH_TIMEOUT(monitor.isMainRunning().get(), MailMonitor::pollIntervalMilliseconds * 2);
        // Two Mail processes are one running Mail; checks without a change publish nothing.
        second.start(mail, {u"60"_s});
        QVERIFY(second.waitForStarted());
        first.kill();
        first.waitForFinished();
        monitor.checkMailProcess();
        QVERIFY(monitor.isMainRunning().get());
        second.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.isMainRunning().get(), MailMonitor::pollIntervalMilliseconds * 2);
        QCOMPARE(changes.count(), 2);
    }
#endif

    void readClipboardHTML_data()
    {
        // A null payload is a format not offered; rich text is offered every time.
        columns<QByteArray, QByteArray, Read>(); // plain text, html, what is read
        row("html wins, though listed last", "Ada"_ba, "<b>Ada</b>"_ba, Read(u"<b>Ada</b>"_s));
        row("byte order mark kept", QByteArray(), "\xef\xbb\xbf\xe2\x80\x94"_ba, Read(u"\ufeff\u2014"_s));
        row("zero bytes of html", "Ada"_ba, ""_ba, Read(QString()));
        row("invalid UTF-8, plain text ignored", "Ada"_ba, "<b>\xff\xfe</b>"_ba, Read());
        row("plain text only, unchanged", " Ada\r\nB \n"_ba, QByteArray(), Read(u" Ada\r\nB \n"_s));
        row("nothing usable", QByteArray(), QByteArray(), Read());
    }
    void readClipboardHTML()
    {
        const auto [plain, html, read] = fetch<QByteArray, QByteArray, Read>();
        auto *offer = new QMimeData;
        offer->setData(u"text/rtf"_s, "{\\rtf1 Ada}");
        if (!plain.isNull())
            offer->setData(u"text/plain"_s, plain);
        if (!html.isNull())
            offer->setData(u"text/html"_s, html);
        QGuiApplication::clipboard()->setMimeData(offer);
        QCOMPARE(PasteModel().readClipboardHTML(), read);
    }
    void droppedFile_data()
    {
        // what is dropped ("|" between urls; "text:" for text alone; "folder": a folder x.html), the file
        // taken or the refusal
        columns<QString, QString>();
        const QString onlyHtml = u"Only an HTML file (.html or .htm) can be dropped here."_s;
        row("an html file", u"/tmp/a b.html"_s, u"/tmp/a b.html"_s);
        row("upper-case htm", u"/tmp/SIG.HTM"_s, u"/tmp/SIG.HTM"_s);
        row("a text file", u"/tmp/sig.txt"_s, onlyHtml);
        row("no suffix", u"/tmp/html"_s, onlyHtml);
        row("a folder named like html", u"folder"_s, onlyHtml);
        row("two html files", u"/tmp/a.html|/tmp/b.html"_s, u"Drop one HTML file at a time."_s);
        row("a web address", u"https://example.com/sig.html"_s,
            u"Only a file can be dropped here, not a link."_s);
        row("text alone", u"text:<b>Ada</b>"_s, onlyHtml);
    }
    void droppedFile()
    {
        const auto [dropped, expected] = fetch<QString, QString>();
        QMimeData mime;
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"x.html"_s);
        if (dropped == u"folder"_s)
            QVERIFY(QDir().mkpath(folder));
        QList<QUrl> urls;
        for (const QString &each : dropped.split(u'|'))
            urls.append(each == u"folder"_s     ? QUrl::fromLocalFile(folder)
                        : each.startsWith(u'/') ? QUrl::fromLocalFile(each)
                                                : QUrl(each));
        dropped.startsWith(u"text:"_s) ? mime.setHtml(dropped.mid(5)) : mime.setUrls(urls);
        const DroppedFile::Verdict verdict = DroppedFile::of(mime);
        QCOMPARE(verdict.file.value_or(verdict.refusal), expected);
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
