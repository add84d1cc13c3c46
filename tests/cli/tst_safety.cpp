// What a run of mailsig must never leave, through the real mailsig: half a signature after a kill, a change
// in a Mail folder it was not pointed at, a file run as root that the user can no longer rewrite.
#include "tests/common/TestHome.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>

#include <unistd.h>

const QByteArray html = "<p>Ada \xc3\xa9</p>\n";

class TestSafety : public QObject
{
    Q_OBJECT
private slots:
    void killedAtRandomMoments()
    {
        TestHome home;
        const QStringList folders = home.prepareStores(u"both"_s, true);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(mailsig(u"apply Probe --account all --default"_s, html).code, 0);
        const qint64 took = clock.nsecsElapsed() / 1000;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_HOME"_s, home.path() + u"/.local/share"_s);
        const QString input = home.path() + u"/team.html"_s;
        QVERIFY(TestHome::write(input, html));
        int killed = 0, finished = 0, takenBack = 0;
        for (int i = 0; i < 40; ++i) {
            QProcess run;
            run.setProcessEnvironment(environment);
            const QString name = u"Team %1"_s.arg(i);
            run.start(QStringLiteral(TESTS_MAILSIG),
                      i % 2 ? QStringList{u"new"_s, name, input, u"--account"_s, u"all"_s}
                            : QStringList{u"apply"_s, name, input, u"--account"_s, u"all"_s, u"--default"_s});
            ::usleep(useconds_t(QRandomGenerator::global()->bounded(int(took * 5 / 4))));
            run.kill();
            run.waitForFinished();
            killed += run.exitStatus() == QProcess::CrashExit;
            // The next command finishes or takes back what the kill left: both lists name the same ids, each
            // with its file, and no file is left that no list names.
            const Run next = mailsig(u"list"_s);
            QCOMPARE(next.code, 0);
            finished += next.err.contains(u"; it was finished."_s);
            takenBack += next.err.contains(u"; it was taken back."_s);
            QList<QStringList> ids;
            for (const QString &folder : folders) {
                QStringList listed;
                for (const QJsonValue &entry : TestHome::plist(folder + u"/AllSignatures.plist"_s).toArray())
                    listed.append(entry[u"SignatureUniqueId"_s].toString() + u".mailsignature"_s);
                listed.sort();
                QCOMPARE(QDir(folder).entryList({u"*.mailsignature"_s}, QDir::Files, QDir::Name), listed);
                ids.append(listed);
            }
            QCOMPARE(ids.first(), ids.last());
        }
        qInfo("%d of 40 runs killed before their end: %d finished after, %d taken back", killed, finished,
              takenBack);
        QVERIFY(finished + takenBack > 0);
    }

    void anInterruptedPlanWaitsForMail()
    {
        TestHome home;
        home.prepareStores(u"local"_s, false);
        // What a kill right after the new file left while Mail was open: the file whole, the list without it.
        const QByteArray file = TestHome::header(u"T1"_s) + "\n\n<p>Team</p>";
        QVERIFY(TestHome::write(home.file(u"T1"_s), file));
        const QString plans = home.path() + u"/.local/share/" TESTS_DATA_FOLDER "/Plans"_s;
        const QString digest = QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex();
        const QJsonObject made{{u"store"_s, u"local"_s},
                               {u"folder"_s, home.signatures()},
                               {u"file"_s, home.file(u"T1"_s)},
                               {u"digest"_s, digest}},
            plan{{u"id"_s, u"T1"_s}, {u"name"_s, u"Team"_s}, {u"made"_s, QJsonArray{made}}};
        QVERIFY(QDir().mkpath(plans) && TestHome::write(plans + u"/1.json"_s, QJsonDocument(plan).toJson()));
        const auto [waiting, run] = applyWhileMailRuns(home.path(), u"Team"_s, "<p>Team</p>");
        QVERIFY(waiting);
        // Left for later while Mail ran, finished once it quit, and then the one signature apply works on.
        const QString &told = run.err;
        QVERIFY2(told.contains(u"interrupted; it will be finished once Mail is closed."_s) &&
                     told.contains(u"interrupted; it was finished."_s),
                 qPrintable(told));
        QCOMPARE(tuple(run.code, QString::fromUtf8(run.out)),
                 tuple(0, u"Locked \"Team\" again (%1).\n"_s.arg(home.file(u"T1"_s))));
        QCOMPARE(TestHome::plist(home.listFile()).toArray().last()[u"SignatureUniqueId"_s], u"T1"_s);
    }

    void mailFolderOnEveryCommand_data()
    {
        columns<QString, QString, bool>(); // what runs first, the command (VERSION: a list file's), writes
        row("list", QString(), u"list"_s, false);
        row("show", QString(), u"show Work"_s, false);
        row("check", QString(), u"check Work"_s, false);
        row("versions", u"insert Work"_s, u"versions Work"_s, false);
        row("insert", QString(), u"insert Work"_s, true);
        row("new", QString(), u"new Team"_s, true);
        row("apply", QString(), u"apply Team --account jane@example.com --default"_s, true);
        row("unlock", u"insert Work"_s, u"unlock Work"_s, false); // told by the flag alone
        row("restore", u"insert Work"_s, u"restore Work"_s, true);
        row("reapply", u"insert Work"_s, u"reapply --all"_s, true);
        row("remove", QString(), u"remove Work"_s, true);
        row("versions --list-file", u"new Team"_s, u"versions --list-file"_s, false);
        row("restore --list-file", u"new Team"_s, u"restore --list-file VERSION"_s, true);
    }
    void mailFolderOnEveryCommand()
    {
        const auto [first, command, writes] = fetch<QString, QString, bool>();
        TestHome other, home; // HOME is home's; mailsig is pointed at other's Mail folder
        other.prepareStores(u"local"_s, false);
        home.prepareStores(u"local"_s, false);
        const QString folder = u"--mail-folder "_s + other.mail() + u' ';
        if (!first.isEmpty())
            QCOMPARE(mailsig(folder + first, html).code, 0);
        if (command == u"reapply --all"_s) // another Mac's Mail replaced it since
            QVERIFY(TestHome::lock(other.file(0), false) && TestHome::write(other.file(0), "theirs"));
        const QString version = mailsig(folder + u"versions --list-file --json"_s)
                                    .json()[u"versions"_s][0][u"version"_s]
                                    .toString();
        const TestHome::Snapshot mine = TestHome::snapshot(home.path() + u"/Library"_s),
                                 theirs = TestHome::snapshot(other.path() + u"/Library"_s);
        QTest::qWait(20);
        const Run run = mailsig(folder + QString(command).replace(u"VERSION"_s, version), "<p>new</p>");
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(TestHome::snapshot(home.path() + u"/Library"_s) == mine);
        QCOMPARE(TestHome::snapshot(other.path() + u"/Library"_s) != theirs, writes);
        if (command == u"list"_s)
            QVERIFY(run.out.contains(other.signatures().toUtf8()));
        if (command == u"unlock Work"_s)
            QVERIFY(!TestHome::isLocked(other.file(0)) && TestHome::isLocked(home.file(0)) == false);
    }

#ifdef TESTS_ON_LINUX
    void filesKeepTheirOwnerWhenRunAsRoot()
    {
        if (::geteuid() != 0)
            QSKIP("Only root writes files in a folder of another user.");
        TestHome home;
        home.prepareStores(u"both"_s, false);
        const QString library = home.path() + u"/Library"_s;
        QCOMPARE(TestHome::runProgram({u"chown"_s, u"-R"_s, u"12345:23456"_s, library}).code, 0);
        QVERIFY(QFile::setPermissions(home.listFile(), QFile::ReadOwner | QFile::WriteOwner) &&
                QFile::setPermissions(home.signatures(), QFile::ReadOwner | QFile::WriteOwner |
                                                             QFile::ExeOwner | QFile::ReadGroup |
                                                             QFile::ExeGroup));
        const Run made = mailsig(u"new Team --account bob@example.org --json"_s, html);
        QCOMPARE(made.code, 0);
        QCOMPARE(mailsig(u"apply Work --account jane@example.com --default"_s, html).code, 0);
        QCOMPARE(mailsig(u"insert Personal"_s, html).code, 0);
        QCOMPARE(mailsig(u"remove Short"_s).code, 0);
        for (const auto &[file, when] : TestHome::snapshot(library).asKeyValueRange()) {
            const QFileInfo info(file);
            QVERIFY2(info.ownerId() == 12345 && info.groupId() == 23456, qPrintable(file));
        }
        // The list kept its mode; a new signature file took its folder's, without the execute bits.
        const QFileDevice::Permissions modes{0x7077}; // the owner's, the group's and the others'
        QCOMPARE(QFile::permissions(home.listFile()) & modes, QFile::ReadOwner | QFile::WriteOwner);
        const QString team = home.file(made.json()[u"id"_s].toString());
        QCOMPARE(QFile::permissions(team) & modes, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }
#endif
};

QTEST_GUILESS_MAIN(TestSafety)
#include "tst_safety.moc"
