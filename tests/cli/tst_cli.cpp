// The real mailsig run as a process on the sample home: its wiring to the store, its output, and every
// refusal of every command in one table.
#include "tests/common/TestHome.h"

#include <QJsonObject>
#include <QProcess>

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        wrapper.clear();
        qunsetenv("XDG_CONFIG_DIRS");
    }
    void insertEachKind_data()
    {
        columns<QByteArray, QString, bool>(); // the file's header, a flag, the HTML from a file
        const QByteArray related = "Content-Type: multipart/related;\n\tboundary=\"B\"\nMime-Version: 1.0";
        row("quoted-printable, from a file", TestHome::header(u"X"_s), QString(), true);
        row("base64, from standard input",
            "Content-Transfer-Encoding: base64\nContent-Type: text/html; charset=utf-8"_ba, QString(), false);
        row("multipart/related, from a file, --no-lock", related, u"--no-lock"_s, true);
        row("dry run", TestHome::header(u"X"_s), u"--dry-run"_s, false);
    }
    void insertEachKind()
    {
        const auto [header, flag, fromFile] = fetch<QByteArray, QString, bool>();
        TestHome home;
        // Another signature whose name differs only in case: the exact name wins.
        QVERIFY(home.writeList({TestHome::sample().first(), {home.id(1), u"WORK"_s}}));
        const QString file = home.file(0);
        const QByteArray old = header + "\n\n<b>old</b>";
        QVERIFY(TestHome::write(file, old));
        const QString html = u"<table>\n\n<tr><td>Ada \u00e9 \U0001F600</td></tr></table>\n"_s;
        const QString input = home.path() + u"/new.html"_s;
        QVERIFY(TestHome::write(input, html.toUtf8()));
        const Run run = mailsig(u"insert Work %1 %2"_s.arg(fromFile ? input : QString(), flag),
                                fromFile ? QByteArray() : html.toUtf8());
        QCOMPARE(tuple(run.code, run.err), tuple(0, QString()));
        if (flag == u"--dry-run"_s) {
            QCOMPARE(tuple(TestHome::state(file), versions(home.id(0)).isEmpty()),
                     tuple(TestHome::State(old, false), true));
            QVERIFY(run.out.contains(TestHome::header(u"X"_s)));
            QVERIFY(run.out.contains("body: "));
            return;
        }
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{html});
        QCOMPARE(TestHome::isLocked(file), flag != u"--no-lock"_s);
        const QJsonArray kept = versions(home.id(0));
        // The file before, then what was written.
        QCOMPARE(kept.size(), 2);
        QCOMPARE(TestHome::read(kept[1][u"file"_s].toString()), old);
        QCOMPARE(TestHome::read(kept[0][u"file"_s].toString()), TestHome::read(file));
        // What show prints is what went in; --raw is the file itself.
        QCOMPARE(QString::fromUtf8(mailsig({u"show"_s, home.id(0)}).out), html);
        QCOMPARE(mailsig({u"show"_s, home.id(0), u"--raw"_s}).out, TestHome::read(file));
    }
    void restoreAndUnlock()
    {
        TestHome home;
        const QString id = home.id(0), file = home.file(0);
        const QByteArray original = TestHome::read(file);
        QByteArray previous;
        for (int i = 1; i <= 3; ++i) { // how many are kept is the store suite's
            previous = TestHome::read(file);
            QCOMPARE(mailsig({u"insert"_s, id}, QByteArray::number(i)).code, 0);
        }
        // Without a name, the file before the last insert comes back; a named one is that one.
        QCOMPARE(mailsig({u"restore"_s, id}).code, 0);
        QCOMPARE(TestHome::state(file), TestHome::State(previous, true));
        const QString oldest = versions(id).last()[u"version"_s].toString();
        QCOMPARE(mailsig({u"restore"_s, u"work"_s, oldest}).code, 0);
        QCOMPARE(TestHome::state(file), TestHome::State(original, true));
        QCOMPARE(mailsig({u"unlock"_s, id}).code, 0);
        QVERIFY(!TestHome::isLocked(file));
    }
    void listJson()
    {
        TestHome home;
        QVERIFY(TestHome::lock(home.file(1)) && QFile::remove(home.file(2)));
        // Each row as mailsig lists it: %1 id, %2 name, %3 whether locked, %4 file, %5 whether it is missing.
        const QString each = uR"({"id": "%1", "name": "%2", "locked": %3, "rich": true, "file": "%4",
            "accounts": [], "chosenFor": [], "replacedSinceInsert": false, "missing": %5, "stores": [{"store":
            "local", "file": "%4", "locked": %3, "replacedSinceInsert": false, "missing": %5}]})"_s;
        QJsonArray expected;
        for (int row = 0; row < 3; ++row) {
            const QString json = each.arg(home.id(row), home.name(row), row == 1 ? u"true"_s : u"false"_s,
                                          home.file(row), row == 2 ? u"true"_s : u"false"_s);
            expected.append(QJsonDocument::fromJson(json.toUtf8()).object());
        }
        QCOMPARE(mailsig(u"list --json"_s).json()[u"signatures"_s].toArray(), expected);
        QVERIFY(mailsig({u"list"_s}).out.endsWith(home.file(2).toUtf8() + "\tlocal\tmissing\n"));
    }
    void imagesFromTheCommandLine()
    {
        TestHome home;
        const QString html = home.path() + u"/sig.html"_s;
        QVERIFY(
            TestHome::write(home.path() + u"/logo.png"_s, TestHome::png("red")) &&
            TestHome::write(html, "<img width=1 src=\"logo.png\"><img width=1 src=\"data:image/png;base64," +
                                      TestHome::png("blue").toBase64() + "\">"));
        const QStringList embed{u"insert"_s, home.name(0), html, u"--embed-images"_s};
        QCOMPARE(mailsig(embed).code, 0);
        // Two parts, each shown, as mailsig and an independent reader see them.
        const QJsonObject shown = mailsig({u"show"_s, home.name(0), u"--json"_s}).json().object();
        QStringList parts;
        for (const QJsonValue part : shown[u"parts"_s].toArray())
            parts.append(u"%1 %2 %3 %4"_s.arg(part[u"filename"_s].toString(), part[u"type"_s].toString())
                             .arg(part[u"size"_s].toInt())
                             .arg(part[u"shown"_s].toBool() ? u"true"_s : u"false"_s));
        QCOMPARE(parts, QStringList({u"logo.png image/png 70 true"_s, u"image1.png image/png 71 true"_s}));
        QCOMPARE(shown[u"html"_s].toString(),
                 TestHome::mimeParts({home.file(0)}).at(0)[u"html"_s].toString());
        // Again: nothing to write. Without the images: both left out, and said so.
        QCOMPARE(mailsig(embed).out, "\"Work\" already holds this HTML, so nothing was written.\n");
        const Run plain = mailsig({u"insert"_s, home.name(0), u"-"_s}, "<p>plain</p>");
        QCOMPARE(plain.code, 0);
        QVERIFY2(
            plain.err.startsWith(u"mailsig: The images logo.png and image1.png were left out: the new HTML "
                                 "does not show them. They are kept in the version before this insert.\n"_s),
            qPrintable(plain.err));
        QCOMPARE(TestHome::mimeDecoded({home.file(0)}), QStringList{u"<p>plain</p>"_s});
    }
    void checkNotes()
    {
        TestHome home;
        const QString input = home.path() + u"/notes.html"_s;
        QVERIFY(TestHome::write(input, "<img width=\"9\" src=\"http://x.example/a.png\"><script></script>"));
        const Run file = mailsig({u"check"_s, input, u"--json"_s});
        QStringList kinds;
        for (const QJsonValue note : file.json()[u"notes"_s].toArray())
            kinds.append(note[u"kind"_s].toString());
        QCOMPARE(tuple(file.code, kinds), tuple(0, QStringList{u"plain-http"_s, u"script"_s}));
        // Inserted, they are told on standard error; the signature has them then, one without has none.
        const Run insert = mailsig({u"insert"_s, home.name(0), input});
        QCOMPARE(tuple(insert.code, insert.err.count(u"mailsig: note: "_s)), tuple(0, 2));
        QCOMPARE(mailsig({u"check"_s, home.id(0)}).out.count('\n'), 2);
        const Run none = mailsig({u"check"_s, home.name(1)});
        QCOMPARE(tuple(none.code, none.out), tuple(0, QByteArray()));
        // Empty text has no notes; only text that cannot be read fails.
        QCOMPARE(tuple(mailsig(u"check -"_s, " ").code, mailsig(u"check -"_s, "\xff").code), tuple(0, 1));
    }
    void badInput_data()
    {
        // Arguments (split at spaces), input, the setup (or the rights setpriv takes), exit code, message.
        columns<QString, QByteArray, QString, int, QString>();
        const QByteArray no, x = "<p>x</p>";
        const QString none, insert = u"insert Work"_s, team = u"apply Team --account jane@example.com"_s;
        const QString notSetUp =
            u"Mail has not been set up for this user yet: run again after Mail's first start"_s;
        row("no command", none, no, none, 2, u"No command given"_s);
        row("unknown option", u"insert Work --force"_s, x, none, 2, u"--force"_s);
        row("too many operands", u"insert Work a b"_s, no, none, 2, u"Usage:"_s);
        row("missing file", u"insert Work /nonexistent.html"_s, no, none, 1,
            u"Cannot read /nonexistent.html: No such file"_s);
        row("folder as file", u"insert Work /"_s, no, none, 1, u"a folder"_s);
        row("not UTF-8", insert, "<p>\xc3\xa9\xff</p>"_ba, none, 1, u"at offset 5"_s);
        row("empty", insert, no, none, 1, u"empty or only white space"_s);
        row("white space", insert, " \n\t"_ba, none, 1, u"empty or only white space"_s);
        row("unknown signature", u"insert Nobody"_s, x, none, 4, u"No signature is named \"Nobody\""_s);
        row("remove, no such signature", u"remove Nobody"_s, x, none, 4,
            u"No signature is named \"Nobody\""_s);
        row("empty name", u"show \"\""_s, no, none, 2, u"An empty SIGNATURE names none"_s);
        row("signature file a link", u"insert Personal"_s, x, u"LinkedFile"_s, 1,
            u".mailsignature is a symbolic link, so it was left as it is."_s);
        row("list file a link", u"new Team"_s, x, u"LinkedList"_s, 1,
            u"/AllSignatures.plist is a symbolic link, so it was left as it is."_s);
        row("inserted version cannot be kept", insert, x, u"VersionsLocked"_s, 1,
            u"The new signature could not be kept as a version, so nothing was changed."_s);
        row("ambiguous name", u"insert WORK"_s, x, u"TwoWork"_s, 4, u"names 2 signatures"_s);
        row("ambiguous name, apply", u"apply WORK"_s, x, u"TwoWork"_s, 4, u"names 2 signatures"_s);
        row("no version kept", u"restore Work"_s, no, none, 4, u"No version"_s);
        row("unknown version", u"restore Work 1999"_s, no, none, 4, u"no kept version \"1999\""_s);
        row("no Mail folder", u"--mail-folder /nonexistent list"_s, no, none, 5,
            u"No Mail folder at /nonexistent."_s);
        row("no version folder", u"--mail-folder=/ list"_s, no, none, 7, u"No version folder"_s);
        row("no list of signatures", insert, x, u"NoList"_s, 7, u"make a signature in Mail first"_s);
        // Mail not set up yet: apply and new, as a login script runs them, say so.
        row("apply, no version folder", team, x, u"NoVersionFolder"_s, 7, notSetUp);
        row("no list, new", u"new Team"_s, x, u"NoList"_s, 7, notSetUp);
        row("no Mail folder in the user's Library", team, x, u"NoMailFolder"_s, 7, notSetUp);
        row("--default before Mail's first start", team + u" --default"_s, x, u"NoContainer"_s, 7, notSetUp);
        row("Mail's preferences broken", team + u" --default"_s, x, u"BrokenPreferences"_s, 1,
            u"Mail's preferences "_s);
        row("--default without an account", u"apply Team --default"_s, x, none, 2,
            u"--default needs --account ADDRESS (or --account all): no account is given a signature it was "
            "not named for."_s);
        row("an address of no account", u"apply Team --account nobody@example.com"_s, x, none, 6,
            u"nobody@example.com names no account; the accounts are: jane@example.com, bob@example.org."_s);
        row("no map of accounts", team, x, u"NoMap"_s, 6,
            u"jane@example.com names no account: Mail keeps no map of accounts (AccountsMap.plist) beside "
            u"its "
            "signatures in "_s);
        row("Mail running", insert, x, u"MailRunning"_s, 3, u"Mail is running"_s);
        row("Mail running, unlock", u"unlock Work"_s, no, u"MailRunning"_s, 3, u"Mail is running"_s);
        row("Mail running, restore", u"restore Work"_s, no, u"MailRunning"_s, 3, u"Mail is running"_s);
        row("Mail running, reapply", u"reapply --all"_s, no, u"MailRunning"_s, 3, u"Mail is running"_s);
        row("Mail running, remove", u"remove Work"_s, x, u"MailRunning"_s, 3, u"Mail is running"_s);
        row("Mail running, waited for", team + u" --wait 1"_s, x, u"MailRunning"_s, 3,
            u"Mail is still running after 1 second: quit Mail, then try again."_s);
        row("--wait without a number", u"apply Team --wait soon"_s, x, none, 2,
            u"--wait takes a number of seconds, not \"soon\"."_s);
        // The fields of a template, from wherever they come.
        row("an unknown source of fields", u"apply Team --fields-from ldap"_s, x, none, 2,
            u"--fields-from takes user, user:ACCOUNT or managed, not \"ldap\"."_s);
        row("no such user", u"apply Team --fields-from user:nobody-here"_s, x, none, 1,
            u"No local user is named \"nobody-here\"."_s);
        row("a managed value that is not text", u"apply Team --fields-from managed"_s, x, u"ManagedList"_s, 1,
            u"a value that is not text"_s);
        row("--literal with fields", u"apply Team --literal --field name=A"_s, x, none, 2,
            u"--literal writes the HTML as it is: give it no fields."_s);
        for (const QString &command : {u"apply Team"_s, u"new Team"_s, u"insert Work"_s})
            row(qPrintable(u"a placeholder without a value, "_s + command.section(u' ', 0, 0)), command,
                "<p>{{name}}</p>"_ba, none, 1, u"No value for {{name}}: give --field name=\u2026"_s);
        // Images an HTML file names are read only from its own folder, and only images.
        const QString embed = u" --embed-images"_s;
        row("embed: a path with ..", u"insert Work {site}/up.html"_s + embed, no, u"Site"_s, 1,
            u"The image img/../in.png names its file with \"..\", so nothing was embedded."_s);
        row("embed: an absolute path", u"insert Work {site}/root.html"_s + embed, no, u"Site"_s, 1,
            u"The image /etc/hostname is outside the HTML file's folder, so nothing was embedded."_s);
        row("embed: a link out of the folder", u"insert Work {site}/link.html"_s + embed, no, u"Site"_s, 1,
            u"The image out.png is outside the HTML file's folder, so nothing was embedded."_s);
        row("embed: a text file named .png", u"insert Work {site}/text.html"_s + embed, no, u"Site"_s, 1,
            u"The image text.png is not a PNG, JPEG or GIF image, so nothing was embedded."_s);
        row("embed: too many images", u"new Many {site}/many.html"_s + embed, no, u"Site"_s, 1,
            u"The HTML names more than 20 images, so nothing was embedded."_s);
        row("embed: a relative image on standard input", u"insert Work -"_s + embed, "<img src=\"a.png\">"_ba,
            none, 1, u"is named by a relative path, and this HTML comes from no file"_s);
#ifdef TESTS_ON_LINUX
        row("folder cannot be read", insert, x, u"-dac_override,-dac_read_search"_s, 5,
            u"Permission denied"_s);
        row("file cannot be unlocked", insert, x, u"-linux_immutable"_s, 1, u"could not be unlocked"_s);
        row("file cannot be written", insert, x, u"SignaturesFolderLocked"_s, 1, u"could not be saved"_s);
        row("a folder that takes no new file, the other store's taken back", u"new Team"_s, x,
            u"LockedFolder"_s, 1, u"could not be saved"_s);
#endif
    }
    void badInput()
    {
        const auto [arguments, input, setup, code, message] =
            fetch<QString, QByteArray, QString, int, QString>();
        TestHome home;
        home.prepareStores(u"local"_s, false);
        QVERIFY(TestHome::lock(home.file(0)));
        QProcess mail;
        if (setup == u"TwoWork")
            QVERIFY(home.writeList({TestHome::sample().first(), {home.id(1), u"work"_s}}));
        if (setup == u"NoList")
            QVERIFY(QFile::remove(home.listFile()));
        if (setup == u"NoMap"_s)
            QVERIFY(QFile::remove(home.signatures() + u"/AccountsMap.plist"_s));
        if (setup == u"NoVersionFolder"_s) // the file unlocked first, to be removed
            QVERIFY(TestHome::lock(home.file(0), false) && QDir(home.mail() + u"/V10"_s).removeRecursively());
        if (setup == u"NoMailFolder"_s)
            QVERIFY(TestHome::lock(home.file(0), false) && QDir(home.mail()).removeRecursively());
        if (setup == u"NoContainer"_s)
            QVERIFY(QDir(home.path() + u"/Library/Containers"_s).removeRecursively());
        if (setup == u"BrokenPreferences"_s)
            QVERIFY(TestHome::write(home.preferences(), "<plist><dict>"));
        if (setup == u"LockedFolder"_s) // the iCloud copy is written first
            QVERIFY(home.makeICloud(TestHome::sample()) && TestHome::lock(home.signatures()));
        if (setup == u"ManagedList"_s) {
            QVERIFY(QDir().mkpath(home.path() + u"/xdg/Vellix"_s) &&
                    TestHome::write(home.path() + u"/xdg/Vellix/Vellix Mail.conf"_s,
                                    "[SignatureFields]\nname=Jane, Doe\n"));
            qputenv("XDG_CONFIG_DIRS", QFile::encodeName(home.path() + u"/xdg"_s));
        }
        if (setup == u"SignaturesFolderLocked")
            QVERIFY(TestHome::lock(home.signatures()));
        const QString site = home.path() + u"/site"_s;
        if (setup == u"Site") {
            QVERIFY(QDir().mkpath(site) &&
                    TestHome::write(home.path() + u"/logo.png"_s, TestHome::png("red")) &&
                    QFile::link(home.path() + u"/logo.png"_s, site + u"/out.png"_s) &&
                    TestHome::write(site + u"/text.png"_s, "<p>not an image</p>") &&
                    TestHome::write(site + u"/in.png"_s, TestHome::png("red")));
            QByteArray many;
            for (int i = 0; i < 21; ++i) {
                QVERIFY(
                    TestHome::write(site + u"/%1.png"_s.arg(i), TestHome::png("red") + QByteArray(i, ' ')));
                many += "<img width=1 src=\"" + QByteArray::number(i) + ".png\">";
            }
            for (const auto &[name, html] : {std::pair{"up", "<img src=\"img/../in.png\">"_ba},
                                             {"root", "<img src=\"/etc/hostname\">"_ba},
                                             {"link", "<img src=\"out.png\">"_ba},
                                             {"text", "<img src=\"text.png\">"_ba},
                                             {"many", many}})
                QVERIFY(TestHome::write(site + u'/' + QLatin1String(name) + u".html"_s, html));
        }
        if (setup.startsWith(u'-')) {
            // Root reads any folder and changes any flag; without those rights, as another user would.
            wrapper = QStringList{u"setpriv"_s, u"--bounding-set="_s + setup, u"--"_s};
            if (setup.contains(u"read"))
                QVERIFY(QFile::setPermissions(home.mail(), QFileDevice::Permissions()));
        }
        if (setup.startsWith(u"Linked")) {
            // The file moved out of Mail's folder, a link to it in its place.
            const QString own = setup == u"LinkedList" ? home.listFile() : home.file(1);
            QVERIFY(QFile::rename(own, home.path() + u"/outside"_s) &&
                    QFile::link(home.path() + u"/outside"_s, own));
        }
        if (setup == u"MailRunning" || setup == u"VersionsLocked") // a version, so that restore gets as far
            QCOMPARE(mailsig({u"insert"_s, u"Work"_s}, "<p>kept</p>").code, 0);
        if (setup == u"VersionsLocked") // the file before a write is what was inserted: only that is new
            QVERIFY(TestHome::lock(QFileInfo(versions(home.id(0))[0][u"file"_s].toString()).path()));
        if (setup == u"MailRunning") {
            // Replaced since, so that reapply gets as far too.
            QVERIFY(TestHome::lock(home.file(0), false) &&
                    TestHome::write(home.file(0), "H\n\n<p>Mail's</p>") && TestHome::lock(home.file(0)));
            mail.start(TestHome::fakeApp(home.path(), u"Mail"_s, u"com.apple.mail"_s), {u"60"_s});
            QVERIFY(mail.waitForStarted());
        }
        // Nothing in the home changes, but for the version a write kept before it failed part-way.
        const bool partWay = setup == u"-linux_immutable" || setup == u"SignaturesFolderLocked";
        const QString except = home.path() + (partWay ? u"/.local"_s : u"/Mail.app"_s);
        const auto before = TestHome::snapshot(home.path(), except);
        QStringList split = QString(arguments).replace(u"{site}"_s, site).split(u' ', Qt::SkipEmptyParts);
        split.replaceInStrings(u"\"\""_s, QString()); // "" stands for an empty argument
        const Run run = mailsig(split, input);        // the fixture clears the rights and flags set
        mail.kill();
        mail.waitForFinished();
        // One line on standard error, nothing on standard output.
        QCOMPARE(tuple(run.code, run.err.count(u'\n'), run.out), tuple(code, 1, QByteArray()));
        QVERIFY2(run.err.startsWith(u"mailsig: "_s) && run.err.contains(message), qPrintable(run.err));
        QVERIFY(TestHome::snapshot(home.path(), except) == before);
        QCOMPARE(TestHome::isLocked(home.file(0)), QFile::exists(home.file(0)));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
