// The engine on real files in a throw-away home: start-up, selection, insert,
// restore and unlock, and input nobody should write but anyone can.
#include "store/SignatureFileFormat.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignatureVersions.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/store/EngineSample.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestEngine : public QObject
{
    Q_OBJECT
private slots:
    void startUp();
    void selection();
    void insertWritesAndLocks();
    void insertRefusals();
    void failedWriteKeepsOldBytesAndLock();
    void versionsKeepEveryReplacedFile();
    void hostileIds();
    void largeAndOddInput();
};

void TestEngine::startUp()
{
    EngineSample s;
    QVERIFY(s.engine->accessAuthorize()->isAuthorized().get());
    QCOMPARE(s.monitors, 1);
    QCOMPARE(s.engine->folderMonitor()->objectName(), s.home.signatures());
    QCOMPARE(s.list().size(), 3);
    QVERIFY(!s.shown());
    // A second grant announces nothing, makes no second monitor, and loads again; so does every load.
    QSignalSpy authorized(s.engine->accessAuthorize(), &SignaturesEngineAccessAuthorize::changed);
    QSignalSpy listed(s.engine->uiModel(), &SignatureListUIModel::changed);
    s.engine->accessGranted();
    s.engine->loadSignatures();
    QCOMPARE(authorized.count(), 0);
    QCOMPARE(s.monitors, 1);
    QCOMPARE(listed.count(), 2);

    // Without a grant: asked, not authorised until the answer is yes; an answer after the engine is gone is
    // ignored.
    s.monitors = 0;
    s.engine = s.make(false);
    auto &services = static_cast<GrantedServices &>(s.engine->services());
    QVERIFY(services.pendingRequest && !s.engine->accessAuthorize()->isAuthorized().get() &&
            s.list().isEmpty());
    services.pendingRequest(false);
    QVERIFY(!s.engine->accessAuthorize()->isAuthorized().get());
    services.pendingRequest(true);
    QVERIFY(s.engine->accessAuthorize()->isAuthorized().get() && s.list().size() == 3 && s.monitors == 1);
    const auto late = services.pendingRequest;
    s.engine.reset();
    late(true);

    // Granted, but Mail's folder is gone: authorised, no monitor, empty list.
    QDir(s.home.mail()).removeRecursively();
    const QStringList lines = TestHome::printed([&s] { s.engine = s.make(true); });
    QVERIFY(s.engine->accessAuthorize()->isAuthorized().get() && !s.engine->folderMonitor() &&
            s.list().isEmpty());
    QVERIFY(lines.value(0).startsWith(u"Error while accessing directory: "_s));
}

void TestEngine::selection()
{
    EngineSample s;
    QSignalSpy rendered(s.engine->renderedUiModel(), &SignatureRenderUIModel::changed);
    s.select(0);
    const auto content = s.shown();
    QVERIFY(content && content->header.toUtf8() == TestHome::header(s.home.id(0)));
    QVERIFY(content->htmlContent.startsWith(u"<body style=3D"_s));
    s.select(0);                                                 // read and published again
    s.engine->selectionUiModel()->signature().set(std::nullopt); // cleared: the preview stays
    QCOMPARE(rendered.count(), 2);
    // A file gone says "ERROR" and keeps the preview; one that is not UTF-8 is published empty, silently.
    QFile::remove(s.home.file(1));
    QCOMPARE(TestHome::printed([&s] { s.select(1); }), QStringList{u"ERROR"_s});
    QCOMPARE(s.shown(), content);
    TestHome::write(s.home.file(2), "H\n\n<b>caf\xe9</b>");
    QCOMPARE(TestHome::printed([&s] { s.select(2); }), QStringList());
    QCOMPARE(s.shown(), std::optional(AppleSignatureContent{}));
    QCOMPARE(rendered.count(), 3);
}

void TestEngine::insertWritesAndLocks()
{
    EngineSample s;
    const QString file = s.home.file(0);
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(TestHome::lock(file));
    s.engine->loadSignatures();
    s.select(0);
    const auto before = s.shown();
    QSignalSpy listed(s.engine->uiModel(), &SignatureListUIModel::changed);

    // Pretty-printed HTML: an empty line before a tag.
    const QString html = u"<table>\n\n<tr><td width=100>Ada \u00e9 \U0001F600</td></tr></table>"_s;
    QVERIFY(s.engine->insertSignature(html));
    QCOMPARE(TestHome::read(file), s.composed(html));
    QVERIFY(TestHome::isLocked(file) && s.list().at(0).isFileLocked);
    QCOMPARE(QFile::permissions(file) & 0xf0ff, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QCOMPARE(listed.count(), 1);
    QCOMPARE(s.shown(), before); // the preview is the caller's to change
    // What was written reads back, with the same header, and takes a second insert.
    s.select(0);
    QCOMPARE(s.shown()->header, before->header);
    QVERIFY(s.engine->insertSignature(u"<p>second</p>"_s));
    // Nothing to insert writes nothing and says nothing.
    QVERIFY(!s.engine->insertSignature(u" \n\t"_s));
    QCOMPARE(TestHome::read(file), s.composed(u"<p>second</p>"_s));
    QVERIFY(!s.message());
    QCOMPARE(QDir(s.home.signatures()).entryList(QDir::Files | QDir::Hidden).size(),
             4); // no temporary files left
    // An unlocked file ends up locked too; the selection keeps the record read before, no longer equal to the
    // row.
    s.select(1);
    QVERIFY(s.engine->insertSignature(u"<p>x</p>"_s));
    QVERIFY(TestHome::isLocked(s.home.file(1)));
    QVERIFY(s.engine->selectionUiModel()->signature().get() != s.list().at(1));
}

void TestEngine::insertRefusals()
{
    EngineSample s;
    QSignalSpy listed(s.engine->uiModel(), &SignatureListUIModel::changed);
    QVERIFY(!s.engine->insertSignature(u"<p>nothing selected</p>"_s) && !s.message());

    // The file is gone: nothing is created, and the user is told until the next selection.
    s.select(0);
    QFile::remove(s.home.file(0));
    QVERIFY(!s.engine->insertSignature(u"<p>x</p>"_s));
    QVERIFY(!QFile::exists(s.home.file(0)));
    QCOMPARE(s.message(), std::optional(u"The signature's file no longer exists."_s));
    s.select(2);
    QVERIFY(!s.message());

    // Signature 1 cannot be read (a folder in its place) and the preview still holds signature 2's
    // header: it must not be written into signature 1. Then the preview shows signature 1 as it is.
    const QByteArray second = TestHome::read(s.home.file(1));
    QVERIFY(QFile::remove(s.home.file(1)) && QDir().mkdir(s.home.file(1)));
    s.select(1);
    QVERIFY(QDir().rmdir(s.home.file(1)) && TestHome::write(s.home.file(1), second));
    QCOMPARE(TestHome::printed([&s] { QVERIFY(!s.engine->insertSignature(u"<p>x</p>"_s)); }).size(), 1);
    QCOMPARE(TestHome::read(s.home.file(1)), second);
    QCOMPARE(s.shown(), SignatureFileFormat::split(QString::fromUtf8(second)));

    // A file without a header, or with one a MIME reader would cut short; a link to a file elsewhere.
    const QString outside = s.home.path() + u"/outside"_s;
    TestHome::write(outside, "H\n\n<b>outside</b>");
    for (const QByteArray &odd : {"<b>no empty line</b>"_ba, "X-Junk\nA: 1\n\n<b>x</b>"_ba, "link"_ba}) {
        QFile::remove(s.home.file(2));
        QVERIFY(odd == "link" ? QFile::link(outside, s.home.file(2)) : TestHome::write(s.home.file(2), odd));
        s.select(2);
        QVERIFY(!s.engine->insertSignature(u"<p>x</p>"_s) && s.message());
        QCOMPARE(TestHome::read(s.home.file(2)), odd == "link" ? "H\n\n<b>outside</b>"_ba : odd);
        QVERIFY(!TestHome::isLocked(s.home.file(2)) && !TestHome::isLocked(outside));
    }
    QCOMPARE(listed.count(), 0);
}

void TestEngine::failedWriteKeepsOldBytesAndLock()
{
    EngineSample s;
    const QByteArray old = TestHome::read(s.home.file(0));
    QVERIFY(TestHome::lock(s.home.file(0)));
    s.select(0);
    QSignalSpy listed(s.engine->uiModel(), &SignatureListUIModel::changed);
    QSignalSpy rendered(s.engine->renderedUiModel(), &SignatureRenderUIModel::changed);
    // An immutable folder refuses the temporary file even to root: read-only for everyone.
    QVERIFY(TestHome::lock(s.home.signatures()));
    const QStringList lines =
        TestHome::printed([&s] { QVERIFY(!s.engine->insertSignature(u"<p>new</p>"_s)); });
    QVERIFY(TestHome::lock(s.home.signatures(), false));
    QVERIFY(lines.size() == 1 && !lines[0].isEmpty()); // the write's error
    QCOMPARE(TestHome::read(s.home.file(0)), old);
    QVERIFY(TestHome::isLocked(s.home.file(0))); // locked again, so Mail cannot revert it
    QVERIFY(s.message()->startsWith(u"The signature could not be saved: "_s));
    QCOMPARE(rendered.count(), 1); // the preview read again from the file
    QCOMPARE(listed.count(), 0);
    QCOMPARE(QDir(s.home.signatures()).entryList(QDir::Files | QDir::Hidden).size(), 4);

    // The confirmed unlock of a row: the flag cleared and the list reloaded; nothing for a vanished or
    // hostile id.
    s.engine->unlockSignature(s.home.id(0));
    QVERIFY(!TestHome::isLocked(s.home.file(0)) && !s.list().at(0).isFileLocked);
    s.engine->unlockSignature(u"GONE"_s);
    s.engine->unlockSignature(u"../x"_s);
    QCOMPARE(listed.count(), 3);
}

void TestEngine::versionsKeepEveryReplacedFile()
{
    EngineSample s;
    const QString id = s.home.id(0), file = s.home.file(0);
    const QByteArray original = TestHome::read(file);
    s.select(0);
    const auto kept = [&id] {
        QList<QByteArray> bytes;
        for (const auto &version : SignatureVersions::list(id))
            bytes.append(*SignatureVersions::read(version.file));
        return bytes;
    };
    // Each replacement and unlock keeps the file as it was, newest first; the newest is not kept twice.
    QVERIFY(s.engine->insertSignature(u"<p>1</p>"_s));
    const QByteArray one = TestHome::read(file);
    QVERIFY(s.engine->insertSignature(u"<p>2</p>"_s));
    const QByteArray two = TestHome::read(file);
    QVERIFY(s.engine->insertSignature(u"<p>2</p>"_s));
    s.engine->unlockSignature(id);
    QVERIFY(!TestHome::isLocked(file));
    QCOMPARE(kept(), (QList<QByteArray>{two, one, original}));
    QVERIFY(SignatureVersions::list(id).first().time > SignatureVersions::list(id).last().time);
    // Restoring writes those very bytes back, locked, and previews them.
    QVERIFY(s.engine->restoreVersion(SignatureVersions::list(id).last().file));
    QVERIFY(TestHome::read(file) == original && TestHome::isLocked(file));
    QCOMPARE(s.shown(), SignatureFileFormat::split(QString::fromUtf8(original)));
    QCOMPARE(kept().size(), 3);
    // The newest twenty are kept.
    for (int i = 10; i < 35; ++i)
        QVERIFY(s.engine->insertSignature(u"<p>%1</p>"_s.arg(i)));
    QCOMPARE(kept().size(), SignatureVersions::maximumKept);
    QCOMPARE(kept().first(), s.composed(u"<p>33</p>"_s));
    // Without a place to keep the version, nothing is replaced and nothing unlocked.
    const QByteArray before = TestHome::read(file);
    const QString versions = *SignatureVersions::folderOf(id);
    QVERIFY(TestHome::lock(versions));
    QVERIFY(!s.engine->insertSignature(u"<p>lost?</p>"_s));
    s.engine->unlockSignature(id);
    QVERIFY(TestHome::lock(versions, false));
    QVERIFY(TestHome::read(file) == before && TestHome::isLocked(file) && s.message());
    for (const QString &hostile : {u".."_s, u"."_s, u"../x"_s, u"a/b"_s})
        QVERIFY(!SignatureVersions::folderOf(hostile));
}

void TestEngine::hostileIds()
{
    EngineSample s;
    // Files an escaping id would reach.
    TestHome::write(s.home.path() + u"/victim.mailsignature"_s, "H\n\n<b>victim</b>");
    TestHome::write(s.home.mail() + u"/V10/MailData/x.mailsignature"_s, "H\n\n<b>x</b>");
    const QList<TestHome::Entry> entries = {{u"../../../../../victim"_s, u"Up"_s},
                                            {u"../x"_s, u"Parent"_s},
                                            {u".."_s, u"Dots"_s},
                                            {u"."_s, u"Dot"_s},
                                            {s.home.path() + u"/victim"_s, u"Absolute"_s},
                                            {QString(300, u'A'), u"Long"_s}};
    s.home.writeList(entries);
    for (int i = 0; i < 3; ++i)
        QFile::remove(s.home.file(i));
    const auto before = s.outside();
    const QStringList lines = TestHome::printed([&s] {
        s.engine->loadSignatures();
        for (int row = 0; row < s.list().size(); ++row) {
            QVERIFY(!s.list().at(row).isFileLocked);
            s.select(row);
            s.engine->insertSignature(u"<p>pwned</p>"_s);
            s.engine->unlockSignature(s.list().at(row).id);
        }
    });
    QCOMPARE(s.list().size(), entries.size());
    QVERIFY(!s.shown());
    QCOMPARE(s.outside(), before);
    QCOMPARE(QDir(s.home.signatures()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"AllSignatures.plist"_s});
    QCOMPARE(lines, QStringList(entries.size(), u"ERROR"_s)); // every failed read said so, and nothing else
}

void TestEngine::largeAndOddInput()
{
    EngineSample s;
    // Thousands of entries, in order; a 50 MB signature previewed and replaced whole.
    QList<TestHome::Entry> many;
    for (int i = 0; i < 5000; ++i)
        many.append({u"ID-%1"_s.arg(i), u"Name %1"_s.arg(i)});
    s.home.writeList(many);
    TestHome::write(s.home.file(many[0].first),
                    TestHome::header(u"x"_s) + "\n\n<div>" + QByteArray(50 << 20, 'x') + "</div>");
    s.engine->loadSignatures();
    QVERIFY(s.list().size() == 5000 && s.list().at(4999).name == u"Name 4999"_s);
    s.select(0);
    QCOMPARE(s.shown()->htmlContent.size(), (50 << 20) + 11);
    QVERIFY(s.engine->insertSignature(u"<p>small</p>"_s));
    QCOMPARE(TestHome::read(s.home.file(many[0].first)), TestHome::header(u"x"_s) + "\n\n<p>small</p>");
    // A list larger than any Mail writes is not parsed; a FIFO in its place does not hang the load.
    QFile list(s.home.listFile());
    QVERIFY(list.open(QIODevice::Append) && list.write(QByteArray(65 << 20, ' ')) > 0);
    list.close();
    s.engine->loadSignatures();
    QVERIFY(s.list().isEmpty());
    QFile::remove(s.home.listFile());
    QCOMPARE(QProcess::execute(u"mkfifo"_s, {s.home.listFile()}), 0);
    s.engine->loadSignatures();
    QVERIFY(s.list().isEmpty());

    // A version folder named in no encoding and links beside the real one; a linked Signatures folder is
    // followed.
    QFile::remove(s.home.listFile());
    s.home.writeList(TestHome::sample());
    QDir().mkdir(QFile::decodeName(QFile::encodeName(s.home.mail()) + "/V\xff\xfe"));
    QVERIFY(QFile::link(s.home.mail() + u"/V10"_s, s.home.mail() + u"/Vlink"_s));
    const QString real = s.home.path() + u"/RealSignatures"_s;
    QVERIFY(QDir().rename(s.home.signatures(), real) && QFile::link(real, s.home.signatures()));
    QCOMPARE(TestHome::printed([&s] {
                 QCOMPARE(SignaturesEngine::signaturesFolderURL(), std::optional(s.home.signatures()));
             }),
             QStringList());
    s.engine->loadSignatures();
    QCOMPARE(s.list().size(), 3);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
