// Input nobody should write but anyone can: hostile ids, huge and odd files,
// names that are not UTF-8, links and special files in the Mail tree.
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/common/MailFixture.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestEnvironment.h"
#include "tests/store/GrantedServices.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTest>

class TestHostileInput : public QObject
{
    Q_OBJECT
private slots:
    void hostileIds();
    void largeInputs();
    void oddTree();
};

namespace {
// Every file under root with its bytes, to prove nothing outside changed.
QMap<QString, QByteArray> snapshot(const QString &root, const QString &skip)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.startsWith(skip))
            files.insert(path, TestEnvironment::readFile(path));
    }
    return files;
}
} // namespace

void TestHostileInput::hostileIds()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    // Files an escaping id would reach.
    TestEnvironment::writeFile(env.home() + QStringLiteral("/victim.mailsignature"), "H\n\n<b>victim</b>");
    TestEnvironment::writeFile(env.mailFolder() + QStringLiteral("/V10/MailData/x.mailsignature"), "H\n\n<b>x</b>");
    const QString longId(300, QLatin1Char('A'));
    const QList<MailFixture::Entry> entries = {
        {QStringLiteral("../../../../../victim"), QStringLiteral("Up")},
        {QStringLiteral("../x"), QStringLiteral("Parent")},
        {QStringLiteral(".."), QStringLiteral("Dots")},
        {QStringLiteral("."), QStringLiteral("Dot")},
        {env.home() + QStringLiteral("/victim"), QStringLiteral("Absolute")},
        {longId, QStringLiteral("Long")},
    };
    mail.writeList(entries);
    const auto before = snapshot(env.home(), mail.folder());

    StdoutCapture out;
    SignaturesEngine engine(std::make_unique<GrantedServices>());
    const auto list = engine.uiModel()->signatures().get();
    QCOMPARE(list.size(), entries.size()); // listed, all as not locked
    for (const SignatureModel &signature : list) {
        QVERIFY(!signature.isFileLocked);
        engine.selectionUiModel()->signature().set(signature);
        engine.insertSignature(QStringLiteral("<p>pwned</p>"));
        engine.unlockSignature(signature.id);
    }
    QVERIFY(!engine.renderedUiModel()->signature().get());
    QCOMPARE(snapshot(env.home(), mail.folder()), before);
    QCOMPARE(QDir(mail.folder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("AllSignatures.plist")});
    // Every failed read said so, and nothing else was printed.
    QCOMPARE(out.lines(), QStringList(list.size(), QStringLiteral("ERROR")));
}

void TestHostileInput::largeInputs()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    // Thousands of entries, in order.
    QList<MailFixture::Entry> many;
    for (int i = 0; i < 5000; ++i)
        many.append({QStringLiteral("ID-%1").arg(i), QStringLiteral("Name %1").arg(i)});
    mail.writeList(many);
    SignaturesEngine engine(std::make_unique<GrantedServices>());
    QCOMPARE(engine.uiModel()->signatures().get().size(), 5000);
    QCOMPARE(engine.uiModel()->signatures().get().at(4999).name, QStringLiteral("Name 4999"));

    // A 50 MB signature is previewed and replaced whole.
    const QByteArray body = "<div>" + QByteArray(50 * 1024 * 1024, 'x') + "</div>";
    mail.writeSignature(many[0].id, body);
    engine.selectionUiModel()->signature().set(engine.uiModel()->signatures().get().at(0));
    QCOMPARE(engine.renderedUiModel()->signature().get()->htmlContent.size(), body.size());
    engine.insertSignature(QStringLiteral("<p>small</p>"));
    QCOMPARE(TestEnvironment::readFile(mail.signatureFile(many[0].id)),
             MailFixture::header(many[0].id) + "\n\n<p>small</p>");

    // A list file larger than any Mail writes is refused, not parsed.
    QFile list(mail.listFile());
    QVERIFY(list.open(QIODevice::Append));
    QVERIFY(list.write(QByteArray(65 * 1024 * 1024, ' ')) > 0);
    list.close();
    engine.loadSignatures();
    QVERIFY(engine.uiModel()->signatures().get().isEmpty());
}

void TestHostileInput::oddTree()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();

    // A version folder whose name is not UTF-8 and a link to a folder beside the real one.
    QDir().mkdir(QFile::decodeName(QFile::encodeName(env.mailFolder()) + "/V\xff\xfe"));
    QVERIFY(QFile::link(env.mailFolder() + QStringLiteral("/V10"), env.mailFolder() + QStringLiteral("/Vlink")));
    {
        StdoutCapture out;
        QCOMPARE(SignaturesEngine::signaturesFolderURL(), std::optional(mail.folder()));
        QCOMPARE(out.lines(), QStringList());
    }

    // A FIFO in place of the list file must not hang the load.
    QFile::remove(mail.listFile());
    QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {mail.listFile()}), 0);
    SignaturesEngine engine(std::make_unique<GrantedServices>());
    QVERIFY(engine.uiModel()->signatures().get().isEmpty());

    // A Signatures folder that is itself a link is followed, like Mail does.
    QFile::remove(mail.listFile());
    mail.writeList(entries);
    const QString real = env.home() + QStringLiteral("/RealSignatures");
    QVERIFY(QDir().rename(mail.folder(), real));
    QVERIFY(QFile::link(real, mail.folder()));
    engine.loadSignatures();
    QCOMPARE(engine.uiModel()->signatures().get().size(), 3);
}

QTEST_GUILESS_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
