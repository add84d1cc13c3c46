#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignatureVersions.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/common/MailFixture.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/ImmutableFlag.h"
#include "tests/common/TestEnvironment.h"
#include "tests/store/GrantedServices.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

class TestSignaturesEngine : public QObject
{
    Q_OBJECT
private slots:
    void startUpWithAndWithoutAccess();
    void selectionPublishesContent();
    void insertWritesAndLocks();
    void insertRefusals();
    void failedWriteKeepsOldBytesAndLock();
    void unlockSignature();
    void versionsKeepEveryReplacedFile();

private:
    static std::unique_ptr<SignaturesEngine> makeEngine(bool granted = true, int *monitors = nullptr)
    {
        return std::make_unique<SignaturesEngine>(std::make_unique<GrantedServices>(granted, monitors));
    }
    static void select(SignaturesEngine &engine, int row)
    {
        engine.selectionUiModel()->signature().set(engine.uiModel()->signatures().get().at(row));
    }
};

void TestSignaturesEngine::startUpWithAndWithoutAccess()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();
    int monitors = 0;
    {
        auto engine = makeEngine(true, &monitors);
        QVERIFY(engine->accessAuthorize()->isAuthorized().get());
        QCOMPARE(monitors, 1);
        QCOMPARE(engine->folderMonitor()->objectName(), mail.folder());
        QCOMPARE(engine->uiModel()->signatures().get().size(), 3);
        QVERIFY(!engine->renderedUiModel()->signature().get());

        // A second grant: no announcement of isAuthorized, no second monitor, one more load.
        QSignalSpy authorized(engine->accessAuthorize(), &SignaturesEngineAccessAuthorize::changed);
        QSignalSpy listed(engine->uiModel(), &SignatureListUIModel::changed);
        engine->accessGranted();
        QCOMPARE(authorized.count(), 0);
        QCOMPARE(monitors, 1);
        QCOMPARE(listed.count(), 1);
        engine->loadSignatures(); // unchanged list still published
        QCOMPARE(listed.count(), 2);
    }
    {
        monitors = 0;
        auto engine = makeEngine(false, &monitors);
        auto &services = static_cast<GrantedServices &>(engine->services());
        QVERIFY(services.pendingRequest);
        QVERIFY(!engine->accessAuthorize()->isAuthorized().get());
        QVERIFY(engine->uiModel()->signatures().get().isEmpty());
        services.pendingRequest(false); // cancelled chooser
        QVERIFY(!engine->accessAuthorize()->isAuthorized().get());
        services.pendingRequest(true);
        QVERIFY(engine->accessAuthorize()->isAuthorized().get());
        QCOMPARE(monitors, 1);
        // A completion arriving after the engine is gone does nothing.
        auto late = services.pendingRequest;
        engine.reset();
        late(true);
    }
    {
        // Granted, but the signatures folder cannot be found: authorised, no monitor, empty list.
        QDir(env.mailFolder()).removeRecursively();
        monitors = 0;
        StdoutCapture out;
        auto engine = makeEngine(true, &monitors);
        QVERIFY(engine->accessAuthorize()->isAuthorized().get());
        QCOMPARE(monitors, 0);
        QVERIFY(!engine->folderMonitor());
        QVERIFY(engine->uiModel()->signatures().get().isEmpty());
        QVERIFY(out.lines().value(0).startsWith(QStringLiteral("Error while accessing directory: ")));
    }
}

void TestSignaturesEngine::selectionPublishesContent()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();
    auto engine = makeEngine();
    QSignalSpy rendered(engine->renderedUiModel(), &SignatureRenderUIModel::changed);

    select(*engine, 0);
    QCOMPARE(rendered.count(), 1);
    auto content = engine->renderedUiModel()->signature().get();
    QVERIFY(content);
    QCOMPARE(content->header.toUtf8(), MailFixture::header(entries[0].id));
    QVERIFY(content->htmlContent.startsWith(QStringLiteral("<body style=3D")));

    select(*engine, 0); // same record again: read and published again
    QCOMPARE(rendered.count(), 2);
    engine->selectionUiModel()->signature().set(std::nullopt); // cleared: preview kept
    QCOMPARE(rendered.count(), 2);
    QCOMPARE(engine->renderedUiModel()->signature().get(), content);

    // Deleted file: "ERROR", previous preview kept.
    QFile::remove(mail.signatureFile(entries[1].id));
    {
        StdoutCapture out;
        select(*engine, 1);
        QCOMPARE(out.lines(), QStringList{QStringLiteral("ERROR")});
    }
    QCOMPARE(rendered.count(), 2);
    QCOMPARE(engine->renderedUiModel()->signature().get(), content);

    // Not UTF-8: published empty, nothing printed.
    TestEnvironment::writeFile(mail.signatureFile(entries[2].id), "H\n\n<b>caf\xe9</b>");
    {
        StdoutCapture out;
        select(*engine, 2);
        QCOMPARE(out.lines(), QStringList());
    }
    QCOMPARE(engine->renderedUiModel()->signature().get(), std::optional(AppleSignatureContent{}));
    QCOMPARE(rendered.count(), 3);
}

void TestSignaturesEngine::insertWritesAndLocks()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();
    const QString file = mail.signatureFile(entries[0].id);
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(ImmutableFlag::set(file));
    auto engine = makeEngine();
    select(*engine, 0);
    const auto before = engine->renderedUiModel()->signature().get();
    QSignalSpy listed(engine->uiModel(), &SignatureListUIModel::changed);

    // Pretty-printed HTML: an empty line before a tag.
    const QString html = QStringLiteral("<table>\n\n<tr><td width=100>Ada \u00e9 \U0001F600</td></tr></table>");
    QVERIFY(engine->insertSignature(html));
    QCOMPARE(TestEnvironment::readFile(file), *SignatureFileFormat::compose(before->header, html));
    QVERIFY(SignaturesEngine::isFileImmutable(file));
    const auto modeBits = QFile::permissions(file) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    QCOMPARE(modeBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QCOMPARE(listed.count(), 1);
    QVERIFY(engine->uiModel()->signatures().get().at(0).isFileLocked);
    QCOMPARE(engine->renderedUiModel()->signature().get(), before); // the preview is untouched

    // What was written reads back, and takes a second insert.
    select(*engine, 0);
    QCOMPARE(engine->renderedUiModel()->signature().get()->header, before->header);
    QVERIFY(engine->insertSignature(QStringLiteral("<p>second</p>")));
    QCOMPARE(TestEnvironment::readFile(file), *SignatureFileFormat::compose(before->header, "<p>second</p>"));
    // Nothing to insert writes nothing and says nothing.
    QVERIFY(!engine->insertSignature(QStringLiteral(" \n\t")));
    QCOMPARE(TestEnvironment::readFile(file), *SignatureFileFormat::compose(before->header, "<p>second</p>"));
    QVERIFY(!engine->statusUiModel()->message().get());
    // No temporary files are left behind.
    QCOMPARE(QDir(mail.folder()).entryList(QDir::Files | QDir::Hidden).size(), 4);

    // An unlocked file is written the same way and ends up locked.
    select(*engine, 1);
    QVERIFY(engine->insertSignature(QStringLiteral("<p>x</p>")));
    QVERIFY(SignaturesEngine::isFileImmutable(mail.signatureFile(entries[1].id)));
    // The selection keeps the record read before the lock, which no longer equals the row.
    QVERIFY(engine->selectionUiModel()->signature().get() != engine->uiModel()->signatures().get().at(1));
}

void TestSignaturesEngine::insertRefusals()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();
    auto engine = makeEngine();
    QSignalSpy listed(engine->uiModel(), &SignatureListUIModel::changed);
    const auto &message = engine->statusUiModel()->message();

    QVERIFY(!engine->insertSignature(QStringLiteral("<p>nothing selected</p>")));
    QVERIFY(!message.get());

    // The selected file is gone: unlocking fails, nothing is created, and the user is told.
    select(*engine, 0);
    QFile::remove(mail.signatureFile(entries[0].id));
    QVERIFY(!engine->insertSignature(QStringLiteral("<p>x</p>")));
    QVERIFY(!QFile::exists(mail.signatureFile(entries[0].id)));
    QCOMPARE(message.get(), std::optional(QStringLiteral("The signature's file no longer exists.")));
    select(*engine, 1); // a new selection clears the news
    QVERIFY(!message.get());

    // The preview still holds signature 2's content after signature 1 failed to read:
    // writing would put another signature's header into this file.
    select(*engine, 2);
    const QByteArray secondBytes = TestEnvironment::readFile(mail.signatureFile(entries[1].id));
    {
        // Make signature 1's read fail: a folder in its place.
        QFile::remove(mail.signatureFile(entries[1].id));
        QDir().mkdir(mail.signatureFile(entries[1].id));
        StdoutCapture out;
        select(*engine, 1);
        QCOMPARE(out.lines(), QStringList{QStringLiteral("ERROR")});
        QDir().rmdir(mail.signatureFile(entries[1].id));
        TestEnvironment::writeFile(mail.signatureFile(entries[1].id), secondBytes);
    }
    {
        StdoutCapture out;
        QVERIFY(!engine->insertSignature(QStringLiteral("<p>x</p>")));
        QCOMPARE(out.lines().size(), 1);
    }
    QCOMPARE(TestEnvironment::readFile(mail.signatureFile(entries[1].id)), secondBytes);
    // The preview went back to what the file holds.
    QCOMPARE(engine->renderedUiModel()->signature().get(),
             SignatureFileFormat::split(QString::fromUtf8(secondBytes)));

    // A file without a header, and one whose header a MIME reader would cut short: kept as they are.
    for (const QByteArray &odd : {QByteArray("<b>no empty line</b>"), QByteArray("X-Junk\nA: 1\n\n<b>x</b>")}) {
        TestEnvironment::writeFile(mail.signatureFile(entries[2].id), odd);
        select(*engine, 2);
        QVERIFY(!engine->insertSignature(QStringLiteral("<p>x</p>")));
        QCOMPARE(TestEnvironment::readFile(mail.signatureFile(entries[2].id)), odd);
        QVERIFY(!SignaturesEngine::isFileImmutable(mail.signatureFile(entries[2].id)));
        QVERIFY(message.get());
    }

    // A symbolic link in place of the file is neither written through nor locked.
    const QString target = env.home() + QStringLiteral("/target.txt");
    TestEnvironment::writeFile(target, "H\n\n<b>outside</b>");
    QFile::remove(mail.signatureFile(entries[2].id));
    QFile::link(target, mail.signatureFile(entries[2].id));
    select(*engine, 2);
    QVERIFY(!engine->insertSignature(QStringLiteral("<p>x</p>")));
    QCOMPARE(TestEnvironment::readFile(target), QByteArray("H\n\n<b>outside</b>"));
    QVERIFY(!SignaturesEngine::isFileImmutable(target));
    QCOMPARE(listed.count(), 0);
}

void TestSignaturesEngine::failedWriteKeepsOldBytesAndLock()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();
    const QString file = mail.signatureFile(entries[0].id);
    const QByteArray old = TestEnvironment::readFile(file);
    QVERIFY(ImmutableFlag::set(file));
    auto engine = makeEngine();
    select(*engine, 0);
    QSignalSpy listed(engine->uiModel(), &SignatureListUIModel::changed);
    QSignalSpy rendered(engine->renderedUiModel(), &SignatureRenderUIModel::changed);

    // An immutable folder refuses the temporary file even to root: a read-only folder for everyone.
    QVERIFY(ImmutableFlag::set(mail.folder()));
    {
        StdoutCapture out;
        QVERIFY(!engine->insertSignature(QStringLiteral("<p>new</p>")));
        const QStringList lines = out.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY(!lines[0].isEmpty());
    }
    QVERIFY(ImmutableFlag::clear(mail.folder()));
    QCOMPARE(TestEnvironment::readFile(file), old);
    QVERIFY(SignaturesEngine::isFileImmutable(file)); // locked again, so Mail cannot revert it
    QVERIFY(engine->statusUiModel()->message().get()->startsWith(QStringLiteral("The signature could not be saved: ")));
    QCOMPARE(rendered.count(), 1); // the preview was read again from the file
    QCOMPARE(listed.count(), 0);
    QCOMPARE(QDir(mail.folder()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

void TestSignaturesEngine::unlockSignature()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();
    QVERIFY(ImmutableFlag::set(mail.signatureFile(entries[1].id)));
    auto engine = makeEngine();
    QVERIFY(engine->uiModel()->signatures().get().at(1).isFileLocked);
    QSignalSpy listed(engine->uiModel(), &SignatureListUIModel::changed);

    engine->unlockSignature(entries[1].id);
    QVERIFY(!SignaturesEngine::isFileImmutable(mail.signatureFile(entries[1].id)));
    QVERIFY(!engine->uiModel()->signatures().get().at(1).isFileLocked);
    // A vanished file or a hostile id changes nothing and still reloads.
    engine->unlockSignature(QStringLiteral("GONE"));
    engine->unlockSignature(QStringLiteral("../x"));
    QCOMPARE(listed.count(), 3);
}

void TestSignaturesEngine::versionsKeepEveryReplacedFile()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();
    const QString id = entries[0].id;
    const QString file = mail.signatureFile(id);
    const QByteArray original = TestEnvironment::readFile(file);
    auto engine = makeEngine();
    select(*engine, 0);
    const auto kept = [&id] {
        QList<QByteArray> bytes;
        for (const auto &version : SignatureVersions::list(id))
            bytes.append(*SignatureVersions::read(version.file));
        return bytes;
    };

    // Each replacement keeps the file as it was, newest first; the same bytes twice in a row are kept once.
    QVERIFY(engine->insertSignature(QStringLiteral("<p>1</p>")));
    const QByteArray one = TestEnvironment::readFile(file);
    QVERIFY(engine->insertSignature(QStringLiteral("<p>2</p>")));
    const QByteArray two = TestEnvironment::readFile(file);
    QVERIFY(engine->insertSignature(QStringLiteral("<p>2</p>")));
    engine->unlockSignature(id);
    QVERIFY(!SignaturesEngine::isFileImmutable(file));
    QCOMPARE(kept(), (QList<QByteArray>{two, one, original}));
    QVERIFY(SignaturesEngine::signatureFileURL(id));
    QVERIFY(SignatureVersions::list(id).first().time > SignatureVersions::list(id).last().time);

    // Restoring writes those very bytes back, locked, and previews them.
    QVERIFY(engine->restoreVersion(SignatureVersions::list(id).last().file));
    QCOMPARE(TestEnvironment::readFile(file), original);
    QVERIFY(SignaturesEngine::isFileImmutable(file));
    QCOMPARE(engine->renderedUiModel()->signature().get(), SignatureFileFormat::split(QString::fromUtf8(original)));
    QCOMPARE(kept().size(), 3);

    // The newest twenty are kept.
    for (int i = 0; i < 25; ++i)
        QVERIFY(engine->insertSignature(QStringLiteral("<p>%1</p>").arg(i + 10)));
    QCOMPARE(kept().size(), SignatureVersions::maximumKept);
    QCOMPARE(kept().first(), *SignatureFileFormat::compose(engine->renderedUiModel()->signature().get()->header,
                                                            QStringLiteral("<p>33</p>")));

    // Without a place to keep the version, nothing is replaced and nothing unlocked.
    const QByteArray before = TestEnvironment::readFile(file);
    const QString versions = *SignatureVersions::folderOf(id);
    QVERIFY(ImmutableFlag::set(versions));
    QVERIFY(!engine->insertSignature(QStringLiteral("<p>lost?</p>")));
    engine->unlockSignature(id);
    QVERIFY(ImmutableFlag::clear(versions));
    QCOMPARE(TestEnvironment::readFile(file), before);
    QVERIFY(SignaturesEngine::isFileImmutable(file));
    QVERIFY(engine->statusUiModel()->message().get());

    // Ids that could name something outside the versions folder get none.
    for (const QString &hostile : {QStringLiteral(".."), QStringLiteral("."), QStringLiteral("../x"), QStringLiteral("a/b")})
        QVERIFY(!SignatureVersions::folderOf(hostile));
}

QTEST_GUILESS_MAIN(TestSignaturesEngine)
#include "tst_signaturesengine.moc"
