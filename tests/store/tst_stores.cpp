// Mail's two stores through the real mailsig: what is listed, what every write does to each copy, what is
// seen and put back after a change from outside, and what a killed write leaves for the next start.
#include "store/SignatureStatusUIModel.h"
#include "tests/common/TestHome.h"

#include <QCryptographicHash>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUuid>

namespace {

// Each row as "name:store,store", in the listed order.
QString rows(const QJsonObject &listed)
{
    QStringList rows;
    for (const QJsonValue &signature : listed[u"signatures"_s].toArray()) {
        QStringList stores;
        for (const QJsonValue &copy : signature[u"stores"_s].toArray())
            stores.append(copy[u"store"_s].toString());
        rows.append(signature[u"name"_s].toString() + u':' + stores.join(u','));
    }
    return rows.join(u' ');
}

// Replaces file as a sync does: a new file renamed over it, without the lock.
bool replaceAsSync(const QString &file, const QByteArray &bytes)
{
    return TestHome::lock(file, false) && TestHome::write(file + u".sync"_s, bytes) &&
           ::rename(QFile::encodeName(file + u".sync"_s), QFile::encodeName(file)) == 0;
}

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

class TestStores : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { wrapper.clear(); }

    void shapes_data()
    {
        columns<QString, QString, QString>(); // setup, rows listed, the problem told
        const QString both = u"Work:iCloud,local Personal:iCloud,local Short:iCloud,local"_s;
        const QString local = u"Work:local Personal:local Short:local"_s;
        row("local only", QString(), local, QString());
        row("iCloud only", u"ICloudOnly"_s, u"Work:iCloud Personal:iCloud Short:iCloud"_s,
            u"No Mail folder"_s);
        row("both, same ids", u"Both"_s, both, QString());
        row("both, other ids", u"Other"_s, u"Home:iCloud Work:iCloud,local Personal:local Short:local"_s,
            QString());
        row("binary iCloud list", u"Binary"_s, both, QString());
        row("iCloud list broken", u"Broken"_s, local, u"cannot be read"_s);
#ifdef TESTS_ON_LINUX
        row("iCloud folder unreadable", u"Unreadable"_s, local, u"Permission denied"_s);
#endif
        row("older iCloud layout", u"Older"_s, local, u"older macOS"_s);
        row("older iCloud layout beside a current one", u"OlderBeside"_s, both, QString());
        row("newer iCloud folder without a list", u"NoListBeside"_s, both, QString());
    }
    void shapes()
    {
        const auto [setup, expected, problem] = fetch<QString, QString, QString>();
        TestHome home;
        QList<TestHome::Entry> iCloud = TestHome::sample();
        if (setup == u"Other")
            iCloud = {{u"A1B2C3D4-0000-4000-8000-000000000001"_s, u"Home"_s}, TestHome::sample().at(0)};
        if (!setup.isEmpty() && setup != u"Older") {
            QVERIFY(home.makeICloud(iCloud, setup == u"Binary"));
            // A lower version folder beside it is one Mail no longer uses.
            const QString stale = home.iCloud().replace(u"/V4/"_s, u"/V2/"_s);
            QVERIFY(QDir().mkpath(stale) && TestHome::write(stale + u"/AllSignatures.plist"_s,
                                                            TestHome::listXml({{u"S"_s, u"Stale"_s}})));
        }
        if (setup == u"ICloudOnly")
            QVERIFY(QDir(home.mail()).removeRecursively());
        if (setup == u"Broken")
            QVERIFY(TestHome::write(home.iCloud() + u"/AllSignatures.plist"_s, "<plist><array><dict>"));
        if (setup == u"Unreadable") {
            // Root reads any folder: without that right, as the user would be without access.
            wrapper = {u"setpriv"_s, u"--bounding-set=-dac_override,-dac_read_search"_s, u"--"_s};
            QVERIFY(QFile::setPermissions(home.iCloud(), QFileDevice::Permissions()));
        }
        if (setup.startsWith(u"Older"))
            QVERIFY(QDir().mkpath(home.iCloud().replace(u"/V4/"_s, u"/V3/MailData/"_s)));
        if (setup == u"NoListBeside")
            QVERIFY(QDir().mkpath(home.iCloud().replace(u"/V4/"_s, u"/V5/"_s)));
        const QJsonObject listed = mailsig(u"list --json"_s).json().object();
        QCOMPARE(rows(listed), expected);
        const QString told = listed[u"problems"_s].toArray().toVariantList().value(0).toString();
        QVERIFY2(problem.isEmpty() ? told.isEmpty() : told.contains(problem), qPrintable(told));
        // An insert into the first row writes every copy of it: each decodes to exactly the HTML, locked, and
        // a version of each store is kept.
        const QJsonValue first = listed[u"signatures"_s].toArray().at(0);
        QStringList files;
        for (const QJsonValue &copy : first[u"stores"_s].toArray())
            files.append(copy[u"file"_s].toString());
        const QString shown = TestHome::mimeDecoded(files).value(0),
                      html = u"<p>Ada \u00e9 \U0001F600</p>\n"_s;
        const Run run = mailsig({u"insert"_s, first[u"id"_s].toString()}, html.toUtf8());
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(TestHome::mimeDecoded(files), QStringList(files.size(), html));
        for (const QString &file : files)
            QVERIFY2(TestHome::isLocked(file), qPrintable(file));
        QStringList stores;
        for (const QJsonValue &version : versions(first[u"id"_s].toString()))
            if (version[u"kind"_s] == u"inserted"_s)
                stores.prepend(version[u"store"_s].toString());
        QCOMPARE(u"%1:%2"_s.arg(first[u"name"_s].toString(), stores.join(u',')),
                 expected.section(u' ', 0, 0));
        // A restore writes every copy too: the shown copy's version, its HTML into the other.
        QCOMPARE(mailsig({u"restore"_s, first[u"id"_s].toString()}).code, 0);
        QCOMPARE(TestHome::mimeDecoded(files), QStringList(files.size(), shown));
    }

#ifdef TESTS_ON_LINUX
    void everyCopyOrNone()
    {
        TestHome home;
        QVERIFY(home.makeICloud(TestHome::sample()));
        const QString iCloud = home.iCloudFile(home.id(0)), local = home.file(0);
        QVERIFY(TestHome::lock(iCloud));
        const QByteArray iCloudBefore = TestHome::read(iCloud), localBefore = TestHome::read(local);
        // The local copy, written second, cannot be: its folder takes no new file.
        QVERIFY(TestHome::lock(home.signatures()));
        const Run run = mailsig({u"insert"_s, u"Work"_s}, "<p>new</p>");
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(u"The local copy: The signature could not be saved"_s),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(u"The other copy was put back as it was."_s), qPrintable(run.err));
        QCOMPARE(TestHome::state(iCloud), TestHome::State(iCloudBefore, true));
        QCOMPARE(TestHome::state(local), TestHome::State(localBefore, false));
        // What was put back is not recorded as inserted, or it would read as replaced.
        QVERIFY(!mailsig(u"list --json"_s).json()[u"signatures"_s][0][u"replacedSinceInsert"_s].toBool());
    }
#endif

    void replacedFromOutside()
    {
        TestHome home;
        QVERIFY(home.makeICloud(TestHome::sample()));
        const QString iCloud = home.iCloudFile(home.id(0));
        QCOMPARE(mailsig({u"insert"_s, u"Work"_s}, "<p>mine</p>").code, 0);
        const QByteArray mine = TestHome::read(iCloud);
        const auto replaced = [] {
            QStringList names;
            for (const QJsonValue &signature : mailsig(u"list --json"_s).json()[u"signatures"_s].toArray())
                if (signature[u"replacedSinceInsert"_s].toBool())
                    names.append(signature[u"name"_s].toString());
            return names;
        };
        QCOMPARE(replaced(), QStringList());
        // Another Mac's Mail syncs its own over the iCloud copy, one character changed.
        QVERIFY(replaceAsSync(iCloud, QByteArray(mine).replace("mine", "mind")));
        QCOMPARE(replaced(), QStringList{u"Work"_s});
        const Run put = mailsig(u"reapply --all"_s);
        QCOMPARE(tuple(put.code, put.out),
                 tuple(0, "Put back what was inserted into \"Work\", locked.\n"_ba));
        QCOMPARE(TestHome::state(iCloud), TestHome::State(mine, true));
        QCOMPARE(replaced(), QStringList());
        // Again, and an insert of what it already holds: nothing is written, nothing kept.
        const auto before = TestHome::snapshot(home.path() + u"/Library"_s);
        const auto kept = TestHome::snapshot(home.path() + u"/.local"_s);
        QTest::qWait(20); // a rewrite would show in the modification times
        const Run again = mailsig(u"reapply --all"_s), same = mailsig(u"insert Work"_s, "<p>mine</p>");
        QCOMPARE(tuple(again.code, again.out.startsWith("Nothing to put back")), tuple(0, true));
        QCOMPARE(tuple(same.code, same.out),
                 tuple(0, "\"Work\" already holds this HTML, so nothing was written.\n"_ba));
        QCOMPARE(mailsig({u"insert"_s, u"Work"_s, u"--dry-run"_s}, "<p>mine</p>").out,
                 "\"Work\" already holds this HTML, so nothing would be written.\n");
        QVERIFY(TestHome::snapshot(home.path() + u"/Library"_s) == before);
        QVERIFY(TestHome::snapshot(home.path() + u"/.local"_s) == kept);
        // Unlocked, the same HTML again writes nothing but locks it once more.
        QCOMPARE(mailsig({u"unlock"_s, u"Work"_s}).code, 0);
        QCOMPARE(mailsig({u"insert"_s, u"Work"_s}, "<p>mine</p>").out,
                 "\"Work\" already holds this HTML, so nothing was written; it was locked again.\n");
        QCOMPARE(TestHome::state(iCloud), TestHome::State(mine, true));
        // Handed back to Mail, a change is Mail's to make.
        QCOMPARE(mailsig({u"unlock"_s, u"Work"_s}).code, 0);
        QVERIFY(replaceAsSync(iCloud, TestHome::header(home.id(0)) + "\n\n<p>Mail's</p>"));
        QCOMPARE(replaced(), QStringList());
    }

    void accountsOfEachSignature()
    {
        TestHome home;
        QVERIFY(home.makeICloud(TestHome::sample()));
        // IMAP with an address, Exchange without one, one with no signatures, an id Mail no longer lists; the
        // iCloud map names an address again, one more, and a user name that is no address.
        QVERIFY(TestHome::write(
            home.signatures() + u"/AccountsMap.plist"_s,
            TestHome::accountsMap(
                TestHome::account(u"A1"_s, u"imap://jane%40example.com@imap.example.com/"_s,
                                  {home.id(0), home.id(1)}) +
                TestHome::account(u"EWS-7"_s, u"ews://AAMkAGI2/"_s, {home.id(0), u"GONE"_s}) +
                TestHome::account(u"A3"_s, u"imap://idle%40example.com@imap.example.com/"_s, {}))));
        QVERIFY(TestHome::write(
            home.iCloud() + u"/AccountsMap.plist"_s,
            TestHome::accountsMap(
                TestHome::account(u"A1"_s, u"imap://jane%40example.com@imap.example.com/"_s, {home.id(0)}) +
                TestHome::account(u"B"_s, u"imap://bob%40example.org@mail.example.org/"_s, {home.id(2)}) +
                TestHome::account(u"C"_s, u"imap://carol@mail.example.org/"_s, {home.id(2)}))));
        QStringList accounts;
        for (const QJsonValue &signature : mailsig(u"list --json"_s).json()[u"signatures"_s].toArray())
            accounts.append(signature[u"name"_s].toString() + u':' +
                            signature[u"accounts"_s].toVariant().toStringList().join(u','));
        QCOMPARE(accounts, (QStringList{u"Work:jane@example.com,EWS-7"_s, u"Personal:jane@example.com"_s,
                                        u"Short:bob@example.org,C"_s}));
    }

    void newSignature_data()
    {
        columns<QString, bool, QString, int, QString>(); // stores, binary lists, name, exit, what is said
        row("local, XML", u"local"_s, false, u"Team"_s, 0, u"Made \"Team\""_s);
        row("iCloud only, binary", u"iCloud"_s, true, u"Team"_s, 0, u"Made \"Team\""_s);
        row("both, binary", u"both"_s, true, u"Team"_s, 0, u"Made \"Team\""_s);
        row("name in use", u"both"_s, false, u"Work"_s, 4,
            u"A signature named \"Work\" exists: insert into it, or choose another name."_s);
        row("no name", u"local"_s, false, u" "_s, 1, u"A signature needs a name."_s);
        row("a line feed", u"local"_s, false, u"Te\nam"_s, 1, u"cannot hold a line break, a tab"_s);
        row("a tab", u"local"_s, false, u"Te\tam"_s, 1, u"cannot hold a line break, a tab"_s);
        row("a blank at the end", u"local"_s, false, u"Team "_s, 1, u"cannot begin or end with a blank."_s);
        row("in use in another case", u"both"_s, false, u"WORK"_s, 4,
            u"A signature named \"Work\" exists, and names that differ only in case are one name"_s);
        row("address of no account", u"local"_s, false, u"Team"_s, 6,
            u"nobody@example.com names no account; the accounts are: jane@example.com, EWS-7."_s);
        row("Mail running", u"both"_s, false, u"Team"_s, 3, u"Mail is running"_s);
    }
    void newSignature()
    {
        const auto [stores, binary, name, code, told] = fetch<QString, bool, QString, int, QString>();
        TestHome home;
        if (stores != u"local"_s)
            QVERIFY(home.makeICloud(TestHome::sample(), binary));
        if (stores == u"iCloud"_s)
            QVERIFY(QDir(home.mail()).removeRecursively());
        const QStringList folders = stores == u"local"_s    ? QStringList{home.signatures()}
                                    : stores == u"iCloud"_s ? QStringList{home.iCloud()}
                                                            : QStringList{home.iCloud(), home.signatures()};
        const QByteArray accounts = TestHome::accountsMap(
            TestHome::account(u"A1"_s, u"imap://jane%40example.com@imap.example.com/"_s, {u"S"_s}) +
            TestHome::account(u"EWS-7"_s, u"ews://AAMk/"_s, {}));
        QList<QJsonValue> lists, maps;
        QList<bool> binaries;
        for (const QString &folder : folders) {
            QVERIFY(TestHome::write(folder + u"/AccountsMap.plist"_s, accounts));
            lists.append(TestHome::plist(folder + u"/AllSignatures.plist"_s));
            binaries.append(TestHome::read(folder + u"/AllSignatures.plist"_s).startsWith("bplist"));
            maps.append(TestHome::plist(folder + u"/AccountsMap.plist"_s));
        }
        QProcess mail;
        if (stores == u"both"_s && code == 3) {
            mail.start(TestHome::fakeApp(home.path(), u"Mail"_s, u"com.apple.mail"_s), {u"60"_s});
            QVERIFY(mail.waitForStarted());
        }
        const auto before = TestHome::snapshot(home.path() + u"/Library"_s);
        const QString html = u"<p>Ada \u00e9</p>\n"_s;
        const QString account =
            told.startsWith(u"nobody"_s) ? u"nobody@example.com"_s : u"jane@example.com"_s;
        const Run run = mailsig({u"new"_s, name, u"--account"_s, account, u"--json"_s}, html.toUtf8());
        mail.kill();
        mail.waitForFinished();
        QCOMPARE(run.code, code);
        if (code != 0) {
            QVERIFY2(run.err.contains(told), qPrintable(run.err));
            QVERIFY(TestHome::snapshot(home.path() + u"/Library"_s) == before);
            return;
        }
        // Each list has the new entry at its end and every other as it was, in its own form; the file holds
        // exactly the HTML, locked; the account names the new id once more; each list file's version is kept.
        const QString id = run.json()[u"id"_s].toString();
        QCOMPARE(id, QUuid::fromString(id).toString(QUuid::WithoutBraces).toUpper());
        for (qsizetype i = 0; i < folders.size(); ++i) {
            QJsonArray list = lists.at(i).toArray();
            list.append(QJsonObject{
                {u"SignatureIsRich"_s, true}, {u"SignatureName"_s, name}, {u"SignatureUniqueId"_s, id}});
            QCOMPARE(TestHome::plist(folders.at(i) + u"/AllSignatures.plist"_s), QJsonValue(list));
            QCOMPARE(TestHome::read(folders.at(i) + u"/AllSignatures.plist"_s).startsWith("bplist"),
                     binaries.at(i));
            QJsonObject map = maps.at(i).toObject(), jane = map[u"A1"_s].toObject();
            jane[u"Signatures"_s] = QJsonArray{u"S"_s, id};
            map[u"A1"_s] = jane;
            QCOMPARE(TestHome::plist(folders.at(i) + u"/AccountsMap.plist"_s), QJsonValue(map));
            const QString file = folders.at(i) + u'/' + id + u".mailsignature"_s;
            QCOMPARE(TestHome::mimeDecoded({file}), QStringList{html});
            QVERIFY(TestHome::isLocked(file));
        }
        const QJsonArray kept = versions(u"--list-file"_s);
        QCOMPARE(kept.size(), 2 * folders.size());
        // A list file's version goes back whole.
        for (const QJsonValue &version : kept)
            if (version[u"version"_s].toString().startsWith(u"AllSignatures.plist/"_s))
                QCOMPARE(mailsig({u"restore"_s, u"--list-file"_s, version[u"version"_s].toString()}).code, 0);
        for (qsizetype i = 0; i < folders.size(); ++i)
            QCOMPARE(TestHome::plist(folders.at(i) + u"/AllSignatures.plist"_s), lists.at(i));
    }

    void fieldsFillTheTemplate()
    {
        TestHome home;
        const QString fields = home.path() + u"/ada.json"_s, notUtf8 = home.path() + u"/bad.json"_s;
        QVERIFY(TestHome::write(fields, R"({"name": "Ada <& \u00e9", "title": "<b>Chief</b>"})"));
        QVERIFY(TestHome::write(notUtf8, "{\"name\": \"caf\xe9\"}"));
        const QByteArray html = "<p>{{name}}, {{{title}}}{{#phone}}, {{phone}}{{/phone}}</p>";
        const auto before = TestHome::snapshot(home.path() + u"/Library"_s);
        // A value missing, or not UTF-8: refused before anything is written.
        const Run missing = mailsig(u"insert Work --field name=Ada"_s, html);
        QCOMPARE(tuple(missing.code, missing.err),
                 tuple(1, u"mailsig: No value for {{title}}: give --field title=\u2026\n"_s));
        QCOMPARE(mailsig({u"insert"_s, u"Work"_s, u"--fields"_s, notUtf8}, html).code, 1);
        wrapper = {u"sh"_s, u"-c"_s, u"exec \"$@\" \"$(printf 'name=caf\\351')\""_s, u"sh"_s}; // no UTF-8
        QCOMPARE(mailsig(u"insert Work --field"_s, html).err,
                 u"mailsig: The value of name is not UTF-8.\n"_s);
        wrapper.clear();
        // A field without a name is a usage error.
        for (const QString &field : {u"name"_s, u"=Ada"_s})
            QCOMPARE(mailsig({u"insert"_s, u"Work"_s, u"--field"_s, field}, html).code, 2);
        QVERIFY(TestHome::snapshot(home.path() + u"/Library"_s) == before);
        // The file then holds exactly the filled HTML; --field wins over the file's value.
        const Run run = mailsig({u"insert"_s, u"Work"_s, u"--fields"_s, fields, u"--field"_s,
                                 u"phone=+44 1"_s, u"--field"_s, u"title=CEO"_s},
                                html);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(TestHome::mimeDecoded({home.file(0)}),
                 QStringList{u"<p>Ada &lt;&amp; \u00e9, CEO, +44 1</p>"_s});
    }

    void interruptedWrite_data()
    {
        columns<QString, bool, bool, QString, bool>(); // holds, was locked, locked after, told, window
        row("new bytes", u"new"_s, false, true, u"holds the new signature, locked again."_s, false);
        row("old bytes, was locked", u"old"_s, true, true, u"as it was before, locked again."_s, false);
        row("old bytes, was not locked", u"old"_s, false, false, u"as it was before."_s, false);
        row("neither", u"other"_s, true, false, u"neither the old nor the new signature"_s, false);
        row("new bytes, at the window's start", u"new"_s, false, true, u"locked again."_s, true);
#ifdef TESTS_ON_LINUX
        row("killed while writing", u"killed"_s, true, true, u"as it was before, locked again."_s, false);
#endif
    }
    void interruptedWrite()
    {
        const auto [holds, wasLocked, lockedAfter, told, window] =
            fetch<QString, bool, bool, QString, bool>();
        TestHome home;
        const QString file = home.file(0);
        const QByteArray old = TestHome::read(file),
                         written = TestHome::header(home.id(0)) + "\n\n<p>new</p>";
        const QByteArray now = holds == u"new"_s ? written : holds == u"other"_s ? "torn" : old;
        QVERIFY(TestHome::write(file, now));
        if (holds == u"killed"_s) {
            // A real kill in the middle of the write: the file size limit stops mailsig with SIGXFSZ while it
            // keeps the new file as a version, after it has unlocked the old one.
            QVERIFY(TestHome::lock(file));
            wrapper = {u"prlimit"_s, u"--fsize=65536"_s, u"--"_s};
            QCOMPARE(mailsig({u"insert"_s, u"Work"_s}, QByteArray(100000, 'x')).code, -1);
            wrapper.clear();
            QVERIFY(!TestHome::isLocked(file));
        }
        // What a run killed between unlocking and locking leaves: the record, the file unlocked.
        const QString data = window ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                    : home.path() + u"/.local/share/" TESTS_DATA_FOLDER ""_s;
        QVERIFY(QDir().mkpath(data + u"/Intents"_s));
        if (holds != u"killed"_s) {
            const QJsonObject intent{{u"id"_s, home.id(0)},         {u"name"_s, u"Work"_s},
                                     {u"store"_s, u"local"_s},      {u"file"_s, file},
                                     {u"oldDigest"_s, sha256(old)}, {u"newDigest"_s, sha256(written)},
                                     {u"wasLocked"_s, wasLocked},   {u"lockNew"_s, true}};
            QVERIFY(TestHome::write(data + u"/Intents/1.json"_s, QJsonDocument(intent).toJson()));
        }
        // Told by the window's engine as it starts, or by mailsig on standard error.
        const Run run =
            window ? Run{0, {}, grantedEngine()->statusUiModel()->message().get().value_or(QString())}
                   : mailsig({u"list"_s});
        QVERIFY2(run.err.contains(u"A write to the local copy of \"Work\" was interrupted"_s) &&
                     run.err.contains(told),
                 qPrintable(run.err));
        // The file as it was found, locked as it should be, and the record gone.
        QCOMPARE(tuple(run.code, TestHome::state(file), QDir(data + u"/Intents"_s).isEmpty()),
                 tuple(0, TestHome::State(now, lockedAfter), true));
    }
};

QTEST_GUILESS_MAIN(TestStores)
#include "tst_stores.moc"
