// The engine on the sample's real files: start-up and selection, an insert and its refusals, the versions
// kept, hostile ids, odd files and failures from outside.
#include "store/KeptVersions.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/common/TestHome.h"

#include <QProcess>
#include <QSignalSpy>

#ifdef TESTS_ON_LINUX
#include <linux/capability.h>
#include <sys/wait.h>
#endif

// The sample home and an engine on it, with access granted.
struct EngineSample
{
    bool authorized() const { return engine->accessAuthorize()->isAuthorized().get(); }
    const QList<SignatureModel> &list() const { return engine->uiModel()->signatures().get(); }
    void select(int row) { engine->selectionUiModel()->signature().set(list().at(row)); }
    std::optional<AppleSignatureContent> shown() const
    {
        return engine->renderedUiModel()->signature().get();
    }
    std::optional<QString> message() const { return engine->statusUiModel()->message().get(); }
    bool insert(const QString &html) { return engine->insertSignature(html); }
    QByteArray composed(const QString &html) const
    {
        return *SignatureFileFormat::compose(shown()->header, html);
    }
    int files() const
    {
        return int(QDir(home.signatures()).entryList(QDir::Files | QDir::Hidden | QDir::System).size());
    }

    TestHome home;
    std::unique_ptr<SignaturesEngine> engine = grantedEngine();
    QSignalSpy listed{engine->uiModel(), &SignatureListUIModel::changed}; // each load's publication
};

// The kinds of the kept versions of id, newest first, as mailsig names them.
static QString kinds(const QString &id)
{
    QStringList names;
    for (const KeptVersions::Version &version : KeptVersions::list(id))
        names.append(version.kindName());
    return names.join(u' ');
}

#ifdef TESTS_ON_LINUX
// Runs act in a forked child, a real and separate process, without the capability to change the
// immutable flag; its exit code: 0 when act answered true, 1 when false.
static int withoutTheRight(const std::function<bool()> &act)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (::syscall(SYS_capget, &header, data) != 0)
            ::_exit(3);
        data[0].effective &= ~(1u << CAP_LINUX_IMMUTABLE);
        data[0].permitted &= ~(1u << CAP_LINUX_IMMUTABLE);
        if (::syscall(SYS_capset, &header, data) != 0)
            ::_exit(3);
        const bool done = act();
        std::fflush(stdout);
        ::_exit(done ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
#endif

class TestEngine : public QObject
{
    Q_OBJECT
private slots:
    void startUpAndSelection()
    {
        EngineSample s;
        QObject *monitor = s.engine->folderMonitor();
        QCOMPARE(tuple(s.authorized(), s.list().size(), bool(s.shown()), monitor->objectName()),
                 tuple(true, 3, false, s.home.signatures()));
        // Locks come from the files: ".mailsignature" for an entry without id; a missing file is not locked.
        QVERIFY(TestHome::write(s.home.file(QString()), "H\n\n<b/>") && TestHome::lock(s.home.file(1)) &&
                TestHome::lock(s.home.file(QString())));
        s.home.writeList(TestHome::sample() +
                         QList<TestHome::Entry>{{QString(), u"No id"_s}, {u"GONE"_s, QString()}});
        // A second grant announces nothing, makes no second monitor, and loads again, as every load does.
        QSignalSpy authorized(s.engine->accessAuthorize(), &SignaturesEngineAccessAuthorize::changed);
        s.engine->accessGranted();
        QCOMPARE(tuple(authorized.count(), s.engine->folderMonitor(), s.listed.count()),
                 tuple(0, monitor, 1));
        // A store that appears is watched from the next load on, once.
        QVERIFY(s.home.makeICloud({}));
        s.engine->loadSignatures();
        s.engine->loadSignatures();
        QCOMPARE(s.engine->watchedFolders(), (QStringList{s.home.signatures(), s.home.iCloud()}));
        // One that cannot be read leaves the other listed, and the top bar says which.
        QVERIFY(TestHome::write(s.home.iCloud() + u"/AllSignatures.plist"_s, "<plist>"));
        s.engine->loadSignatures();
        QCOMPARE(s.message(),
                 u"The list of signatures %1/AllSignatures.plist cannot be read."_s.arg(s.home.iCloud()));
        QList<bool> locked;
        for (const SignatureModel &signature : s.list())
            locked.append(signature.isFileLocked);
        QCOMPARE(locked, (QList<bool>{false, true, false, true, false}));
        QCOMPARE(s.list().at(1), (SignatureModel{s.home.id(1), s.home.name(1), true, true}));
        QVERIFY(TestHome::lock(s.home.file(1), false) && TestHome::lock(s.home.file(QString()), false));

        QSignalSpy rendered(s.engine->renderedUiModel(), &SignatureRenderUIModel::changed);
        s.select(0);
        const auto content = s.shown();
        QCOMPARE(tuple(content->header.toUtf8(), content->htmlContent.startsWith("<body")),
                 tuple(TestHome::header(s.home.id(0)), true));
        s.select(0);                                                 // read and published again
        s.engine->selectionUiModel()->signature().set(std::nullopt); // cleared: the preview stays
        QCOMPARE(rendered.count(), 2);
        // A file gone says "ERROR" and keeps the preview; one that is not UTF-8 is published empty, silently.
        QFile::remove(s.home.file(1));
        QCOMPARE(TestHome::printed([&s] { s.select(1); }), QStringList{u"ERROR"_s});
        QCOMPARE(s.shown(), content);
        TestHome::write(s.home.file(2), "H\n\n<b>caf\xe9</b>");
        QCOMPARE(TestHome::printed([&s] { s.select(2); }), QStringList());
        QCOMPARE(tuple(s.shown() == AppleSignatureContent{}, rendered.count()), tuple(true, 3));

        // Granted, but Mail's folders are gone: authorised, no monitor, empty list.
        QDir(s.home.path() + u"/Library"_s).removeRecursively();
        s.engine = grantedEngine();
        QCOMPARE(tuple(s.authorized(), bool(s.engine->folderMonitor()), s.list().size()),
                 tuple(true, false, 0));
    }
    void insertWritesAndLocks()
    {
        EngineSample s;
        const QString file = s.home.file(0);
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        s.select(0);
        const auto before = s.shown();
        // Pretty-printed HTML: an empty line before a tag.
        const QString html = u"<table>\n\n<tr><td width=100>Ada \u00e9 \U0001F600</td></tr></table>"_s;
        QVERIFY(s.insert(html));
        QCOMPARE(TestHome::read(file), s.composed(html));
        // Locked, in the list too, its mode kept; the selection keeps the record read before, unlocked.
        QCOMPARE(tuple(TestHome::isLocked(file), s.list().at(0).isFileLocked, s.listed.count()),
                 tuple(true, true, 1));
        QVERIFY(s.engine->selectionUiModel()->signature().get() != s.list().at(0));
        QCOMPARE(QFile::permissions(file) & 0xf0ff, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QCOMPARE(s.shown(), SignatureFileFormat::split(QString::fromUtf8(TestHome::read(file))));
        // With the same header it takes a second insert; nothing to insert writes nothing, and says so.
        QCOMPARE(s.shown()->header, before->header);
        QVERIFY(s.insert(u"<p>second</p>"_s));
        QVERIFY(!s.message());
        QVERIFY(!s.insert(u" \n\t"_s));
        QCOMPARE(s.message(), u"The clipboard holds only white space, so nothing was inserted."_s);
        QCOMPARE(tuple(TestHome::read(file), s.files()),
                 tuple(s.composed(u"<p>second</p>"_s), 4)); // no temporary files left
    }
    void insertRefusals()
    {
        EngineSample s;
        QVERIFY(!s.insert(u"<p>nothing selected</p>"_s));
        QVERIFY(!s.message());
        // The file is gone: nothing is created, and the user is told until the next selection.
        s.select(0);
        QFile::remove(s.home.file(0));
        QVERIFY(!s.insert(u"<p>x</p>"_s));
        QVERIFY(!QFile::exists(s.home.file(0)));
        QCOMPARE(s.message(), std::optional(u"The signature's file %1 is missing."_s.arg(s.home.file(0))));
        s.select(2);
        QVERIFY(!s.message());
        // Signature 2's header must not go into unreadable signature 1; the preview shows 1 as it is.
        const QByteArray second = TestHome::read(s.home.file(1));
        QVERIFY(QFile::remove(s.home.file(1)) && QDir().mkdir(s.home.file(1)));
        s.select(1);
        QVERIFY(QDir().rmdir(s.home.file(1)) && TestHome::write(s.home.file(1), second));
        QCOMPARE(TestHome::printed([&s] { QVERIFY(!s.insert(u"<p>x</p>"_s)); }).size(), 1);
        QCOMPARE(TestHome::read(s.home.file(1)), second);
        QCOMPARE(s.shown(), SignatureFileFormat::split(QString::fromUtf8(second)));
        // No header, not UTF-8, a header a MIME reader would cut short, gone: all kept as they are, and
        // the top bar says what is wrong with the file.
        for (const auto &[odd, why] : {std::pair{"<b>no empty line</b>"_ba, u"has no empty line after"_s},
                                       {"H\n\n<b>caf\xe9</b>"_ba, u"is not UTF-8 text"_s},
                                       {"X-Junk\nA: 1\n\n<b>x</b>"_ba, u"has a header this program"_s},
                                       {QByteArray(), u"could not be read"_s}}) {
            QVERIFY(odd.isEmpty() ? QFile::remove(s.home.file(2)) : TestHome::write(s.home.file(2), odd));
            s.select(2);
            QVERIFY(!s.insert(u"<p>x</p>"_s));
            QVERIFY2(s.message()->contains(why), qPrintable(*s.message()));
            QCOMPARE(TestHome::state(s.home.file(2)), TestHome::State(odd, false));
        }
        QCOMPARE(s.listed.count(), 0);
    }
    void failedWriteKeepsOldBytesAndLock()
    {
        EngineSample s;
        const QByteArray old = TestHome::read(s.home.file(0));
        QVERIFY(TestHome::lock(s.home.file(0)));
        s.select(0);
        QSignalSpy rendered(s.engine->renderedUiModel(), &SignatureRenderUIModel::changed);
        // An immutable folder refuses the temporary file even to root: read-only for everyone.
        QVERIFY(TestHome::lock(s.home.signatures()));
        const QStringList lines = TestHome::printed([&s] { QVERIFY(!s.insert(u"<p>new</p>"_s)); });
        QCOMPARE(tuple(lines.size(), lines.value(0).isEmpty()), tuple(1, false)); // the write's error
        QCOMPARE(TestHome::state(s.home.file(0)), TestHome::State(old, true));    // locked again, for Mail
        QVERIFY(s.message()->startsWith(u"The signature could not be saved: "_s));
        // Not recorded as inserted (it never was); the preview read again.
        QCOMPARE(tuple(kinds(s.home.id(0)), rendered.count(), s.listed.count(), s.files()),
                 tuple(u"original"_s, 1, 0, 4));
        s.select(1); // a file that was not locked is not locked by a failed write either
        QVERIFY(!s.insert(u"<p>new</p>"_s));
        QVERIFY(TestHome::lock(s.home.signatures(), false));
        QVERIFY(!TestHome::isLocked(s.home.file(1)));
        // Unlocking a vanished or hostile id changes nothing, and still reloads.
        s.engine->unlockSignature(u"GONE"_s);
        s.engine->unlockSignature(u"../x"_s);
        QCOMPARE(s.listed.count(), 2);
    }
    void versionsKeepEveryReplacedFile()
    {
        EngineSample s;
        const QString id = s.home.id(0), file = s.home.file(0);
        const QByteArray original = TestHome::read(file);
        s.select(0);
        const auto kept = [&id] {
            QList<QByteArray> bytes;
            for (const auto &version : KeptVersions::list(id))
                bytes.append(*KeptVersions::read(version.file));
            return bytes;
        };
        // Each replacement keeps the file as it was and what was written, newest first; the same bytes are
        // not kept twice, and an identical insert writes and keeps nothing; an unlock keeps the file too.
        QVERIFY(s.insert(u"<p>1</p>"_s));
        const QByteArray one = TestHome::read(file);
        QVERIFY(s.insert(u"<p>2</p>"_s));
        const QByteArray two = TestHome::read(file);
        const QDateTime written = QFileInfo(file).lastModified();
        QVERIFY(s.insert(u"<p>2</p>"_s));
        QCOMPARE(*s.message(),
                 u"\"%1\" already holds this HTML, so nothing was written."_s.arg(s.home.name(0)));
        QCOMPARE(QFileInfo(file).lastModified(), written);
        s.engine->unlockSignature(id);
        QVERIFY(!TestHome::isLocked(file));
        QCOMPARE(tuple(kept(), kinds(id)),
                 tuple(QList<QByteArray>{two, two, one, original}, u"unlocked inserted inserted original"_s));
        // Restoring writes those very bytes back, locked, and previews them; what Mail put back after the
        // unlock is kept first, even when it is not UTF-8, and comes back byte for byte.
        const QByteArray mails = TestHome::header(id) + "\n\n<p>caf\xe9</p>";
        const auto restore = [&](int i) {
            return s.engine->restoreKeptVersion(KeptVersions::list(id)[i].file);
        };
        QVERIFY(TestHome::write(file, mails));
        QVERIFY(restore(3));
        QCOMPARE(tuple(TestHome::read(file), kept()),
                 tuple(original, QList<QByteArray>{original, mails, two, two, one, original}));
        QVERIFY(restore(1));
        QCOMPARE(TestHome::read(file), mails);
        QVERIFY(restore(0));
        QCOMPARE(tuple(TestHome::isLocked(file), kinds(id)),
                 tuple(true, u"inserted inserted kept unlocked inserted inserted original"_s));
        QVERIFY(restore(1));
        QCOMPARE(s.shown(), SignatureFileFormat::split(QString::fromUtf8(original)));
        // The newest twenty are kept, and the original for good.
        for (int i = 10; i < 35; ++i)
            QVERIFY(s.insert(u"<p>%1</p>"_s.arg(i)));
        QCOMPARE(tuple(kept().size(), kept().first(), kept().last()),
                 tuple(21, s.composed(u"<p>34</p>"_s), original));
        // Each store counts its own: twenty-five versions of an iCloud copy leave the local ones alone.
        const QList<QByteArray> local = kept();
        QString error;
        for (int i = 0; i < 25; ++i)
            QVERIFY(KeptVersions::keep(id, SignatureStore::Kind::ICloud, QByteArray::number(i),
                                       KeptVersions::Kind::Kept, &error));
        QCOMPARE(tuple(KeptVersions::list(id, SignatureStore::Kind::ICloud).size(), kept().mid(21)),
                 tuple(21, local));
        // Without a place to keep what is inserted (the file before is kept already), nothing is replaced.
        const QString versions = *KeptVersions::folderOf(id);
        QVERIFY(TestHome::lock(versions));
        QVERIFY(!s.insert(u"<p>unrecorded</p>"_s));
        QCOMPARE(s.message(), u"The new signature could not be kept as a version, so nothing was changed."_s);
        QCOMPARE(TestHome::read(file), s.composed(u"<p>34</p>"_s));
        // Without a place to keep the version (of what Mail wrote since), nothing is replaced or unlocked.
        const QByteArray before = TestHome::header(id) + "\n\n<p>Mail's</p>";
        QVERIFY(TestHome::lock(file, false) && TestHome::write(file, before) && TestHome::lock(file));
        QVERIFY(!s.insert(u"<p>lost?</p>"_s));
        s.engine->unlockSignature(id);
        QVERIFY(TestHome::lock(versions, false));
        QCOMPARE(tuple(TestHome::state(file), bool(s.message())), tuple(TestHome::State(before, true), true));
        for (const QString &hostile : {u".."_s, u"."_s, u"../x"_s, u"a/b"_s})
            QVERIFY(!KeptVersions::folderOf(hostile));
    }
    void hostileIds()
    {
        EngineSample s;
        // Files an escaping id or a planted link would reach; a snapshot of all but the signatures folder.
        const QString victim = s.home.path() + u"/victim.mailsignature"_s;
        TestHome::write(victim, TestHome::header(u"victim"_s) + "\n\n<b>victim</b>");
        TestHome::write(s.home.mail() + u"/V10/MailData/x.mailsignature"_s, "H\n\n<b>x</b>");
        QVERIFY(TestHome::lock(victim) && QFile::link(victim, s.home.file(u"link"_s)));
        const QStringList ids = {u"../../../../../victim"_s,   u"../x"_s,          u".."_s,  u"."_s,
                                 s.home.path() + u"/victim"_s, QString(300, u'A'), u"link"_s};
        QList<TestHome::Entry> entries;
        for (const QString &id : ids)
            entries.append({id, id.left(8)});
        s.home.writeList(entries);
        const auto before = TestHome::snapshot(s.home.path(), s.home.signatures());
        const QStringList lines = TestHome::printed([&s] {
            s.engine->loadSignatures();
            for (int row = 0; row < s.list().size(); ++row) {
                QVERIFY(!s.list().at(row).isFileLocked);
                s.select(row);
                s.insert(u"<p>pwned</p>"_s);
                s.engine->unlockSignature(s.list().at(row).id);
            }
        });
        QCOMPARE(tuple(s.list().size(), bool(s.shown()), s.files()), tuple(ids.size(), false, 5));
        QVERIFY(TestHome::snapshot(s.home.path(), s.home.signatures()) == before);
        QCOMPARE(lines, QStringList(ids.size(), u"ERROR"_s)); // every failed read said so, and nothing else
    }
    void oddFiles()
    {
        EngineSample s;
        // A FIFO in place of a signature file: nothing blocks, nothing is written.
        s.select(0);
        QVERIFY(QFile::remove(s.home.file(0)) && QProcess::execute(u"mkfifo"_s, {s.home.file(0)}) == 0);
        QVERIFY(!s.insert(u"<p>mine</p>"_s));
        QCOMPARE(TestHome::printed([&s] { s.select(0); }), QStringList{u"ERROR"_s});
        QCOMPARE(s.files(), 4);
        // Too large, missing, a FIFO or a folder: an empty list, silently, without hanging.
        QFile list(s.home.listFile());
        QVERIFY(list.open(QIODevice::Append) && list.write(QByteArray(65 << 20, ' ')) > 0);
        list.close();
        const auto loaded = [&s] {
            s.engine->loadSignatures();
            return s.list().size();
        };
        const auto printed = TestHome::printed([&] {
            QCOMPARE(loaded(), 0); // too large
            QVERIFY(QFile::remove(s.home.listFile()));
            QCOMPARE(loaded(), 0); // missing
            QCOMPARE(QProcess::execute(u"mkfifo"_s, {s.home.listFile()}), 0);
            QCOMPARE(loaded(), 0);
            QVERIFY(QFile::remove(s.home.listFile()));
            QVERIFY(QDir().mkdir(s.home.listFile()));
            QCOMPARE(loaded(), 0);
        });
        QCOMPARE(printed, QStringList());
    }
#ifdef TESTS_ON_LINUX
    // A real failure from outside: no right to change the flag.
    void lockNotAllowed()
    {
        EngineSample s;
        const QByteArray old = TestHome::read(s.home.file(0));
        QVERIFY(TestHome::lock(s.home.file(0)));
        const auto insert = [&s] { return s.insert(u"<p>new</p>"_s); };
        // A locked file cannot be unlocked, so nothing is written; an unlock from the list says it failed.
        s.select(0);
        QCOMPARE(TestHome::printed([&] { QCOMPARE(withoutTheRight(insert), 1); }), QStringList());
        const auto unlock = [&s] { return s.engine->unlockSignature(s.home.id(0)), bool(s.message()); };
        QCOMPARE(withoutTheRight(unlock), 0);
        QCOMPARE(TestHome::state(s.home.file(0)), TestHome::State(old, true));
        // An unlocked file is written but cannot be locked: it stays unlocked with the new text, and says so.
        s.select(1);
        QCOMPARE(TestHome::printed([&] { QCOMPARE(withoutTheRight(insert), 1); }),
                 QStringList{u"Failed to lock the signature file: "_s + s.home.file(1)});
        QCOMPARE(TestHome::state(s.home.file(1)),
                 TestHome::State(TestHome::header(s.home.id(1)) + "\n\n<p>new</p>", false));
    }
#endif
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
