// The real mailsig run as a process on the sample home: its wiring to the store, its output and its refusals.
#include "tests/common/TestHome.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using Run = TestHome::Run;

// mailsig with arguments and input, after wrapper (a program and its arguments) when given.
static Run mailsig(const QStringList &arguments, const QByteArray &input = {},
                   const QStringList &wrapper = {})
{
    return TestHome::runProgram(wrapper + QStringList{QStringLiteral(TESTS_MAILSIG)} + arguments, input);
}

// The kept versions of id, newest first, as mailsig reports them.
static QJsonArray versions(const QString &id)
{
    return QJsonDocument::fromJson(mailsig({u"versions"_s, id, u"--json"_s}).out)[u"versions"_s].toArray();
}

class TestCli : public QObject
{
    Q_OBJECT
private slots:
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
        QStringList arguments{u"insert"_s, home.name(0)};
        if (fromFile)
            arguments.append(input);
        if (!flag.isEmpty())
            arguments.append(flag);
        const Run run = mailsig(arguments, fromFile ? QByteArray() : html.toUtf8());
        QCOMPARE(run.err, QString());
        QCOMPARE(run.code, 0);
        if (flag == u"--dry-run"_s) {
            QCOMPARE(TestHome::state(file), TestHome::State(old, false));
            QVERIFY(versions(home.id(0)).isEmpty());
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
        QVERIFY(TestHome::lock(home.file(1)));
        QVERIFY(QFile::remove(home.file(2)));
        // Each row as mailsig lists it: %1 its id, %2 its name, %3 whether locked, %4 its file, %5 whether
        // that file is missing.
        const QString each = uR"({"id": "%1", "name": "%2", "locked": %3, "rich": true, "file": "%4",
            "accounts": [], "chosenFor": [], "replacedSinceInsert": false, "missing": %5, "stores": [{"store":
            "local", "file": "%4", "locked": %3, "replacedSinceInsert": false, "missing": %5}]})"_s;
        QJsonArray expected;
        for (int row = 0; row < 3; ++row) {
            const QString locked = row == 1 ? u"true"_s : u"false"_s,
                          missing = row == 2 ? u"true"_s : u"false"_s;
            const QByteArray json =
                each.arg(home.id(row), home.name(row), locked, home.file(row), missing).toUtf8();
            expected.append(QJsonDocument::fromJson(json).object());
        }
        QCOMPARE(QJsonDocument::fromJson(mailsig({u"list"_s, u"--json"_s}).out)[u"signatures"_s].toArray(),
                 expected);
        QVERIFY(mailsig({u"list"_s}).out.endsWith(home.file(2).toUtf8() + "\tlocal\tmissing\n"));
    }
    void imagesFromTheCommandLine()
    {
        TestHome home;
        const QString html = home.path() + u"/sig.html"_s;
        QVERIFY(TestHome::write(home.path() + u"/logo.png"_s, TestHome::png("red")));
        QVERIFY(
            TestHome::write(html, "<img width=1 src=\"logo.png\"><img width=1 src=\"data:image/png;base64," +
                                      TestHome::png("blue").toBase64() + "\">"));
        const QStringList embed{u"insert"_s, home.name(0), html, u"--embed-images"_s};
        QCOMPARE(mailsig(embed).code, 0);
        // Two parts, each shown, as mailsig and an independent reader see them.
        const QJsonObject shown =
            QJsonDocument::fromJson(mailsig({u"show"_s, home.name(0), u"--json"_s}).out).object();
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
        for (const QJsonValue note : QJsonDocument::fromJson(file.out)[u"notes"_s].toArray())
            kinds.append(note[u"kind"_s].toString());
        QCOMPARE(file.code, 0);
        QCOMPARE(kinds, QStringList({u"plain-http"_s, u"script"_s}));
        // Inserted, they are told on standard error; the signature has them then, one without has none.
        const Run insert = mailsig({u"insert"_s, home.name(0), input});
        QCOMPARE(insert.code, 0);
        QCOMPARE(insert.err.count(u"mailsig: note: "_s), 2);
        QCOMPARE(mailsig({u"check"_s, home.id(0)}).out.count('\n'), 2);
        const Run none = mailsig({u"check"_s, home.name(1)});
        QCOMPARE(none.code, 0);
        QVERIFY(none.out.isEmpty());
        // Empty text has no notes; only text that cannot be read fails.
        QCOMPARE(mailsig({u"check"_s, u"-"_s}, " ").code, 0);
        QCOMPARE(mailsig({u"check"_s, u"-"_s}, "\xff").code, 1);
    }
    void badInput_data()
    {
        // Arguments (split at spaces), input, the setup (or the rights setpriv takes), exit code, message.
        columns<QString, QByteArray, QString, int, QString>();
        const QByteArray no, x = "<p>x</p>";
        const QString none, insert = u"insert Work"_s;
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
        row("empty name", u"show \"\""_s, no, none, 2, u"An empty SIGNATURE names none"_s);
        row("signature file a link", u"insert Personal"_s, x, u"LinkedFile"_s, 1,
            u".mailsignature is a symbolic link, so it was left as it is."_s);
        row("list file a link", u"new Team"_s, x, u"LinkedList"_s, 1,
            u"/AllSignatures.plist is a symbolic link, so it was left as it is."_s);
        row("inserted version cannot be kept", insert, x, u"VersionsLocked"_s, 1,
            u"The new signature could not be kept as a version, so nothing was changed."_s);
        row("ambiguous name", u"insert WORK"_s, x, u"TwoWork"_s, 4, u"names 2 signatures"_s);
        row("no version kept", u"restore Work"_s, no, none, 4, u"No version"_s);
        row("unknown version", u"restore Work 1999"_s, no, none, 4, u"no kept version \"1999\""_s);
        row("no Mail folder", u"--mail-folder /nonexistent list"_s, no, none, 5,
            u"No Mail folder at /nonexistent."_s);
        row("no version folder", u"--mail-folder=/ list"_s, no, none, 7, u"No version folder"_s);
        row("no list of signatures", insert, x, u"NoList"_s, 7, u"make a signature in Mail first"_s);
        row("Mail running", insert, x, u"MailRunning"_s, 3, u"Mail is running"_s);
        row("Mail running, unlock", u"unlock Work"_s, no, u"MailRunning"_s, 3, u"Mail is running"_s);
        row("Mail running, restore", u"restore Work"_s, no, u"MailRunning"_s, 3, u"Mail is running"_s);
        row("Mail running, reapply", u"reapply --all"_s, no, u"MailRunning"_s, 3, u"Mail is running"_s);
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
#endif
    }
    void badInput()
    {
        const auto [arguments, input, setup, code, message] =
            fetch<QString, QByteArray, QString, int, QString>();
        TestHome home;
        QVERIFY(TestHome::lock(home.file(0)));
        QStringList wrapper;
        QProcess mail;
        if (setup == u"TwoWork")
            QVERIFY(home.writeList({TestHome::sample().first(), {home.id(1), u"work"_s}}));
        if (setup == u"NoList")
            QVERIFY(QFile::remove(home.listFile()));
        if (setup == u"SignaturesFolderLocked")
            QVERIFY(TestHome::lock(home.signatures()));
        const QString site = home.path() + u"/site"_s;
        if (setup == u"Site") {
            QVERIFY(QDir().mkpath(site));
            QVERIFY(TestHome::write(home.path() + u"/logo.png"_s, TestHome::png("red")));
            QVERIFY(QFile::link(home.path() + u"/logo.png"_s, site + u"/out.png"_s));
            QVERIFY(TestHome::write(site + u"/text.png"_s, "<p>not an image</p>"));
            QVERIFY(TestHome::write(site + u"/in.png"_s, TestHome::png("red")));
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
        if (setup == u"MailRunning" || setup == u"VersionsLocked") {
            // A version to restore, so that restore gets as far as asking whether Mail runs.
            QCOMPARE(mailsig({u"insert"_s, u"Work"_s}, "<p>kept</p>").code, 0);
        }
        if (setup == u"VersionsLocked") // the file before a write is what was inserted: only that is new
            QVERIFY(TestHome::lock(QFileInfo(versions(home.id(0))[0][u"file"_s].toString()).path()));
        if (setup == u"MailRunning") {
            // Replaced since, so that reapply gets as far too.
            QVERIFY(TestHome::lock(home.file(0), false) &&
                    TestHome::write(home.file(0), "H\n\n<p>Mail's</p>"));
            QVERIFY(TestHome::lock(home.file(0)));
            mail.start(TestHome::fakeApp(home.path(), u"Mail"_s, u"com.apple.mail"_s), {u"60"_s});
            QVERIFY(mail.waitForStarted());
        }
        const auto before = TestHome::snapshot(home.signatures());
        QStringList split = QString(arguments).replace(u"{site}"_s, site).split(u' ', Qt::SkipEmptyParts);
        split.replaceInStrings(u"\"\""_s, QString());   // "" stands for an empty argument
        const Run run = mailsig(split, input, wrapper); // the fixture clears the rights and flags set
        mail.kill();
        mail.waitForFinished();
        QCOMPARE(run.code, code);
        QVERIFY2(run.err.startsWith(u"mailsig: "_s), qPrintable(run.err));
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QVERIFY(TestHome::snapshot(home.signatures()) == before);
        QVERIFY(TestHome::isLocked(home.file(0)));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
