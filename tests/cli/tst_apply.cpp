// mailsig apply and remove as a login script runs them, through the real mailsig: every shape of the stores,
// the fields from every source, the wait for Mail, and a removal undone (their refusals are tst_cli's).
#include "tests/common/TestHome.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

const QByteArray html = "<p>Ada \xc3\xa9</p>\n";

static bool isBinary(const QString &path)
{
    return TestHome::read(path).startsWith("bplist00");
}

class TestApply : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        wrapper.clear();
        qunsetenv("XDG_CONFIG_DIRS");
    }

    void shapes_data()
    {
        columns<QString, QString, bool, QString>(); // the signature, the stores, binary, what each store says
        row("missing, local, XML", u"missing"_s, u"local"_s, false, u"made"_s);
        row("missing, iCloud only, binary", u"missing"_s, u"iCloud"_s, true, u"made"_s);
        row("missing, both, binary", u"missing"_s, u"both"_s, true, u"made,made"_s);
        row("same, both", u"same"_s, u"both"_s, false, u"unchanged,unchanged"_s);
        row("same but unlocked, local", u"unlocked"_s, u"local"_s, false, u"locked"_s);
        row("different, both, binary", u"different"_s, u"both"_s, true, u"inserted,inserted"_s);
        row("in the iCloud list only", u"iCloudOnly"_s, u"both"_s, false, u"locked,made"_s);
    }
    void shapes()
    {
        const auto [signature, stores, binary, said] = fetch<QString, QString, bool, QString>();
        TestHome home;
        const bool iCloudOnly = signature == u"iCloudOnly"_s;
        const QStringList folders = home.prepareStores(
            stores, binary,
            iCloudOnly ? QList<TestHome::Entry>{{u"T1"_s, u"Team"_s}} : QList<TestHome::Entry>{});
        const QString name = signature == u"missing"_s ? u"Company"_s : iCloudOnly ? u"Team"_s : u"Work"_s;
        const QByteArray input = iCloudOnly ? "<p>Team in iCloud</p>" : html;
        if (signature == u"same"_s || signature == u"unlocked"_s)
            QCOMPARE(mailsig({u"apply"_s, name}, input).code, 0);
        if (signature == u"unlocked"_s)
            QCOMPARE(mailsig({u"unlock"_s, name}).code, 0);
        QList<QJsonValue> lists, maps;
        for (const QString &folder : folders) {
            lists.append(TestHome::plist(folder + u"/AllSignatures.plist"_s));
            maps.append(TestHome::plist(folder + u"/AccountsMap.plist"_s));
        }
        QJsonObject preferences = TestHome::plist(home.preferences()).toObject();
        const Run run = mailsig(u"apply %1 --account JANE@example.com --default --json"_s.arg(name), input);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        const QJsonObject done = run.json().object();
        const QString id = done[u"id"_s].toString();
        QStringList words;
        for (const QJsonValue &store : done[u"stores"_s].toArray())
            words.append(store[u"signature"_s].toString());
        QCOMPARE(words.join(u','), said);
        QCOMPARE(done[u"chosenFor"_s].toArray(), QJsonArray{u"jane@example.com"_s});
        // Each list gains the new entry where it was made, each map's jane the id once; every other entry and
        // key stays as it was, each file in its own form; the signature holds exactly the HTML, locked.
        for (qsizetype i = 0; i < folders.size(); ++i) {
            QJsonArray list = lists.at(i).toArray();
            if (signature == u"missing"_s || (iCloudOnly && folders.at(i) == home.signatures()))
                list.append(QJsonObject{
                    {u"SignatureIsRich"_s, true}, {u"SignatureName"_s, name}, {u"SignatureUniqueId"_s, id}});
            QCOMPARE(TestHome::plist(folders.at(i) + u"/AllSignatures.plist"_s), QJsonValue(list));
            QJsonObject map = maps.at(i).toObject(), jane = map[u"A1"_s].toObject();
            jane[u"Signatures"_s] = id == home.id(0) ? QJsonArray{id} : QJsonArray{home.id(0), id};
            map[u"A1"_s] = jane;
            QCOMPARE(TestHome::plist(folders.at(i) + u"/AccountsMap.plist"_s), QJsonValue(map));
            QCOMPARE(isBinary(folders.at(i) + u"/AllSignatures.plist"_s), binary);
            const QString file = folders.at(i) + u'/' + id + u".mailsignature"_s;
            QCOMPARE(TestHome::mimeDecoded({file}), QStringList{QString::fromUtf8(input)});
            QVERIFY(TestHome::isLocked(file));
        }
        for (const auto &[key, value] :
             {std::pair{u"SignaturesSelected"_s, id}, {u"SignatureSelectionMethods"_s, u"SelectedOnly"_s}}) {
            QJsonObject entries = preferences[key].toObject();
            entries[u"A1"_s] = value;
            preferences[key] = entries;
        }
        QCOMPARE(TestHome::plist(home.preferences()), QJsonValue(preferences));
        QCOMPARE(isBinary(home.preferences()), binary);
        // Listed as each account's choice.
        const QJsonObject listed = mailsig(u"list --json"_s).json().object();
        QCOMPARE(
            listed[u"accounts"_s].toArray(),
            (QJsonArray{
                QJsonObject{{u"id"_s, u"A1"_s}, {u"address"_s, u"jane@example.com"_s}, {u"chosen"_s, id}},
                QJsonObject{
                    {u"id"_s, u"A2"_s}, {u"address"_s, u"bob@example.org"_s}, {u"chosen"_s, u"OLD"_s}}}));
        // Again: not a byte changes, nothing is kept, and it says so.
        const TestHome::Snapshot before = TestHome::snapshot(home.path());
        QTest::qWait(20); // a rewrite would show in the modification times
        const Run again = mailsig(u"apply %1 --account jane@example.com --default"_s.arg(name), input);
        QCOMPARE(tuple(again.code, again.out),
                 tuple(0, u"\"%1\" is in use as asked; nothing was written.\n"_s.arg(name).toUtf8()));
        QVERIFY(TestHome::snapshot(home.path()) == before);
    }

    void embeddedImagesOnce()
    {
        // Both stores get the image as a part; the same run again finds every copy as asked.
        TestHome home;
        const QStringList folders = home.prepareStores(u"both"_s, false);
        const QString page = home.path() + u"/sig.html"_s;
        QVERIFY(TestHome::write(home.path() + u"/logo.png"_s, TestHome::png("red")) &&
                TestHome::write(page, "<p>Team</p><img width=\"9\" src=\"logo.png\">"));
        const QStringList apply{u"apply"_s, u"Team"_s, page, u"--embed-images"_s};
        QCOMPARE(mailsig(apply).code, 0);
        const QString id = mailsig(u"show Team --json"_s).json()[u"id"_s].toString();
        for (const QString &folder : folders) {
            const QJsonObject file =
                TestHome::mimeParts({folder + u'/' + id + u".mailsignature"_s}).at(0).toObject();
            QCOMPARE(tuple(file[u"type"_s].toString(), file[u"parts"_s][0][u"data"_s].toString().toLatin1()),
                     tuple(u"multipart/related"_s, TestHome::png("red").toBase64()));
        }
        const TestHome::Snapshot before = TestHome::snapshot(home.path());
        QTest::qWait(20);
        QCOMPARE(mailsig(apply).out, "\"Team\" is in use as asked; nothing was written.\n"_ba);
        QVERIFY(TestHome::snapshot(home.path()) == before);
        // A copy that lost its part, its HTML and lock as they were, gets it back.
        const QString local = folders.constLast() + u'/' + id + u".mailsignature"_s;
        const QByteArray html = mailsig({u"show"_s, u"Team"_s}).out;
        QVERIFY(TestHome::lock(local, false));
        QVERIFY(TestHome::write(
            local, "Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: base64\n\n" +
                       html.toBase64()));
        QVERIFY(TestHome::lock(local));
        QCOMPARE(mailsig(apply).code, 0);
        QCOMPARE(TestHome::mimeParts({local}).at(0)[u"parts"_s].toArray().size(), 1);
    }
    void fieldsFromEverySource_data()
    {
        columns<QString, QString>(); // the options, the HTML written (%1: the running user's full name)
        const QString managed = u"--fields-from managed"_s, user = u"--fields-from user:mailsig-jane"_s;
        row("managed preferences", managed, u"Managed Name|Managed Title|+1 5550|"_s);
        row("an account's GECOS", user, u"Jane Doe||+44 20 1|Room 4"_s);
        row("the running user", u"--fields-from user --field title=T"_s, u"%1|T||"_s);
        row("the first source wins", user + u' ' + managed, u"Jane Doe|Managed Title|+44 20 1|Room 4"_s);
        row("--field, then --fields, then the sources",
            u"--field name=Field --fields FILE "_s + managed + u' ' + user,
            u"Field|File Title|+1 5550|Room 4"_s);
        row("--literal", u"--literal"_s,
            u"{{name}}|{{#title}}{{title}}{{/title}}|{{#phone}}{{phone}}{{/phone}}|{{#office}}{{office}}{{/office}}"_s);
    }
    void fieldsFromEverySource()
    {
        const auto [options, written] = fetch<QString, QString>();
        TestHome home;
        const QString fields = home.path() + u"/fields.json"_s, config = home.path() + u"/xdg"_s;
        QVERIFY(TestHome::write(fields, R"({"name": "File Name", "title": "File Title"})"));
        QVERIFY(
            QDir().mkpath(config + u"/Vellix"_s) &&
            TestHome::write(config + u"/Vellix/Vellix Mail.conf"_s,
                            "[SignatureFields]\nname=Managed Name\ntitle=Managed Title\nphone=+1 5550\n"));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(config));
        if (options.contains(u"user:"_s)) {
            if (::geteuid() != 0)
                QSKIP("Making a local user for the test needs root.");
            // A real local user, made by useradd in a copy of the user database that only mailsig's own mount
            // namespace sees: nothing of the machine's accounts changes, and nothing is left to remove.
            const QString etc = home.path() + u"/root/etc"_s;
            QVERIFY(QDir().mkpath(etc));
            for (const QString &file : {u"passwd"_s, u"group"_s, u"shadow"_s, u"gshadow"_s, u"login.defs"_s})
                QFile::copy(u"/etc/"_s + file, etc + u'/' + file);
            QCOMPARE(TestHome::runProgram({u"useradd"_s, u"-P"_s, home.path() + u"/root"_s, u"-M"_s, u"-N"_s,
                                           u"-c"_s, u"Jane Doe,Room 4,+44 20 1,"_s, u"mailsig-jane"_s})
                         .code,
                     0);
            wrapper = {u"unshare"_s,      u"-m"_s, u"--"_s,
                       u"sh"_s,           u"-c"_s, u"mount --bind \"$0\" /etc/passwd && exec \"$@\""_s,
                       etc + u"/passwd"_s};
        }
        const QString fullName =
            QString::fromUtf8(::getpwuid(::getuid())->pw_gecos).section(u',', 0, 0).trimmed();
        const QByteArray input = "{{name}}|{{#title}}{{title}}{{/title}}|{{#phone}}{{phone}}{{/phone}}|"
                                 "{{#office}}{{office}}{{/office}}";
        const Run run = mailsig(u"apply Work "_s + QString(options).replace(u"FILE"_s, fields), input);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(TestHome::mimeDecoded({home.file(0)}),
                 QStringList{QString(written).replace(u"%1"_s, fullName)});
    }

    void waitsForMailToQuit()
    {
        TestHome home;
        QElapsedTimer waited;
        waited.start();
        const auto [waiting, run] = applyWhileMailRuns(home.path(), u"Team"_s, html);
        QVERIFY(waiting);
        QCOMPARE(tuple(run.code, waited.elapsed() >= 1500), tuple(0, true));
        QCOMPARE(mailsig(u"show Team"_s).out, html);
    }

    void removeAndItsUndo()
    {
        TestHome home;
        const QStringList folders = home.prepareStores(u"both"_s, true);
        // Each store's list and map, then Mail's preferences.
        const auto state = [&] {
            QJsonArray files;
            for (const QString &folder : folders)
                for (const QString &file : {u"/AllSignatures.plist"_s, u"/AccountsMap.plist"_s})
                    files.append(TestHome::plist(folder + file));
            files.append(TestHome::plist(home.preferences()));
            return files;
        };
        QJsonArray before = state();
        QCOMPARE(mailsig(u"apply Team --account all --default"_s, html).code, 0);
        const QJsonArray applied = state();
        const Run run = mailsig(u"remove Team"_s);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        // Out of every list, map and choice, its files gone.
        QJsonArray removed = state();
        QCOMPARE(removed.takeAt(4)[u"SignaturesSelected"_s], QJsonValue(QJsonObject{}));
        before.removeLast();
        QCOMPARE(removed, before);
        for (const QString &folder : folders)
            QCOMPARE(QDir(folder).entryList({u"*.mailsignature"_s}).size(), 3);
        // The newest kept version of each list file back: all is as it was, the files back and locked.
        QSet<QString> restored;
        for (const QJsonValue &version : versions(u"--list-file"_s)) {
            const QString name = version[u"version"_s].toString();
            if (const QString file = name.section(u'/', 0, 0) + version[u"store"_s].toString();
                !restored.contains(file)) {
                restored.insert(file);
                QCOMPARE(mailsig({u"restore"_s, u"--list-file"_s, name}).code, 0);
            }
        }
        QCOMPARE(tuple(restored.size(), state(), mailsig(u"show Team"_s).out), tuple(5, applied, html));
        QCOMPARE(tuple(QDir(home.iCloud()).entryList({u"*.mailsignature"_s}).size(),
                       mailsig(u"list --json"_s).json()[u"signatures"_s][3][u"locked"_s].toBool()),
                 tuple(4, true));
        // A signature one of whose files is gone is taken out all the same.
        QVERIFY(QFile::remove(home.iCloudFile(home.id(2))));
        QCOMPARE(mailsig(u"remove Short"_s).code, 0);
        for (const QString &folder : folders)
            QVERIFY(!TestHome::read(folder + u"/AllSignatures.plist"_s).contains(home.id(2).toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TestApply)
#include "tst_apply.moc"
