// The signature store's rules, each on real files where it reads any: the
// published values, finding Mail's folders, reading the list, and the
// .mailsignature format in both directions.
#include "preview/UpdateScript.h"
#include "store/MailFolders.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureListReader.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/common/TestHome.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStoreRules : public QObject
{
    Q_OBJECT
private slots:
    void published();
    void versionFolderChoice_data();
    void versionFolderChoice();
    void folders();
    void listParse_data();
    void listParse();
    void listRead();
    void split_data();
    void split();
    void written_data();
    void written();
};

void TestStoreRules::published()
{
    SignatureSelectionUIModel model;
    QSignalSpy announced(&model, &SignatureSelectionUIModel::changed);
    QList<std::pair<std::optional<SignatureModel>, std::optional<SignatureModel>>> seen; // delivered, stored
    Cancellable token = model.signature().sink([&](const auto &value) {
        seen.append({value, model.signature().get()});
    });
    QCOMPARE(seen.size(), 1); // the current value at once, unannounced
    QCOMPARE(announced.count(), 0);
    // Delivered before it is stored; an equal value is delivered and announced again.
    const SignatureModel a{u"A"_s, u"Caf\u00e9"_s, false};
    model.signature().set(a);
    model.signature().set(SignatureModel{u"A"_s, u"Cafe\u0301"_s, false}); // canonically equal
    QCOMPARE(seen.size(), 3);
    QVERIFY(seen[1].first == a && !seen[1].second && seen[2].second == a);
    QCOMPARE(announced.count(), 2);
    QCOMPARE(qHash(a), qHash(*seen[2].first));
    QVERIFY(a != (SignatureModel{u"A"_s, u"Caf\u00e9"_s, true}) &&
            qHash(a) != qHash(SignatureModel{u"A"_s, a.name, true}));

    // A subscriber cancelled during a delivery misses that value; a cancelled token gets nothing more.
    Published<int> value(1);
    QList<int> first, second;
    std::unique_ptr<Cancellable> firstToken;
    Cancellable canceller = value.sink([&](int v) {
        if (v == 3)
            firstToken.reset();
    });
    firstToken = std::make_unique<Cancellable>(value.sink([&](int v) { first.append(v); }));
    Cancellable secondToken = value.sink([&](int v) { second.append(v); });
    for (int v : {2, 3, 4})
        value.set(v);
    secondToken.cancel();
    value.set(5);
    QCOMPARE(first, (QList<int>{1, 2}));
    QCOMPARE(second, (QList<int>{1, 2, 3, 4}));
    Cancellable orphan; // outliving its publisher is harmless
    {
        Published<int> shortLived(0);
        orphan = shortLived.sink([](int) {});
    }
    orphan.cancel();
}

void TestStoreRules::versionFolderChoice_data()
{
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QString>("lastUsed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("one folder, stale record") << QStringList{"V10"} << "V9"
                                              << "V10";
    QTest::newRow("highest number, not listing order") << QStringList{"V9", "V10", "V2"} << ""
                                                       << "V10";
    QTest::newRow("last used wins") << QStringList{"V9", "V10"} << "V9"
                                    << "V9";
    QTest::newRow("last used gone") << QStringList{"V9", "V10"} << "V11"
                                    << "V10";
    QTest::newRow("numbers beat names") << QStringList{"Vbackup", "V", "V3"} << ""
                                        << "V3";
    QTest::newRow("no numbers: listing order") << QStringList{"Vbackup", "V"} << ""
                                               << "Vbackup";
    QTest::newRow("none") << QStringList{} << "V10"
                          << "";
}

void TestStoreRules::versionFolderChoice()
{
    QFETCH(QStringList, candidates);
    QFETCH(QString, lastUsed);
    QFETCH(QString, chosen);
    const auto last = lastUsed.isEmpty() ? std::nullopt : std::optional(lastUsed);
    QCOMPARE(MailFolders::chooseVersionFolder(candidates, last).value_or(QString()), chosen);
}

void TestStoreRules::folders()
{
    TestHome home(false);
    QDir(home.mail()).removeRecursively();
    QStringList lines = TestHome::printed([] { QVERIFY(!SignaturesEngine::findMailVersionFolder()); });
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].startsWith(u"Error while accessing directory: "_s + home.mail() + u": "_s),
             qPrintable(lines[0]));
    // Hidden, lower-case and misplaced V, and regular files, never count.
    for (const QString &name : {u".V99"_s, u"v10"_s, u"MailV"_s})
        QDir().mkpath(home.mail() + u'/' + name);
    TestHome::write(home.mail() + u"/V100"_s, "a file");
    lines = TestHome::printed([] { QVERIFY(!SignaturesEngine::signatureFileURL(u"X"_s)); });
    QCOMPARE(lines, QStringList{u"No folder starting with 'V' found."_s});
    QDir().mkpath(home.mail() + u"/V"_s); // without MailData/Signatures, which is not looked for
    QCOMPARE(SignaturesEngine::signaturesFolderURL(),
             std::optional(home.mail() + u"/V/MailData/Signatures"_s));

    // After an upgrade: the newer folder, unless Mail records another as last used; nothing is cached.
    QDir().mkpath(home.mail() + u"/V9/MailData/Signatures"_s);
    QDir().mkpath(home.signatures());
    QCOMPARE(SignaturesEngine::findMailVersionFolder(), std::optional(home.mail() + u"/V10"_s));
    const QString info = home.mail() + u"/PersistenceInfo.plist"_s;
    TestHome::write(info, "<plist version=\"1.0\"><dict><key>LastUsedVersionDirectoryName</key>"
                          "<string>V9</string></dict></plist>");
    QCOMPARE(SignaturesEngine::findMailVersionFolder(), std::optional(home.mail() + u"/V9"_s));
    TestHome::write(info, "\x00\x01 not a plist"); // a broken record is ignored
    QCOMPARE(SignaturesEngine::allSignaturesListURL(), std::optional(home.listFile()));

    // Files beside the list; ids come from a file anyone can edit and none may leave the folder.
    QCOMPARE(SignaturesEngine::signatureFileURL(u"ABC"_s), std::optional(home.file(u"ABC"_s)));
    QCOMPARE(SignaturesEngine::signatureFileURL(QString()),
             std::optional(home.signatures() + u"/.mailsignature"_s));
    QFile::link(home.path() + u"/outside"_s, home.file(u"LINK"_s));
    for (const QString &hostile : {u"../../etc/passwd"_s, u"a/b"_s, u"."_s, u".."_s, u"/abs"_s, u"LINK"_s,
                                   QString::fromUtf16(u"nul\0x", 5)})
        QVERIFY2(!SignaturesEngine::signatureFileURL(hostile), qPrintable(hostile));
}

// A binary property list of arrays nested depth deep; with cycle the last holds the first again.
static QByteArray nestedBinary(quint32 depth, bool cycle)
{
    const auto be = [](quint64 v, int width) {
        QByteArray out(width, '\0');
        for (int i = width - 1; i >= 0; --i, v >>= 8)
            out[i] = char(v & 0xff);
        return out;
    };
    QByteArray data("bplist00"), table;
    for (quint32 i = 0; i < depth; ++i) {
        table += be(quint64(data.size()), 8);
        data += i + 1 == depth && !cycle ? QByteArray(1, char(0xA0))
                                         : char(0xA1) + be(i + 1 == depth ? 0 : i + 1, 4);
    }
    const quint64 offsets = quint64(data.size());
    return data + table + QByteArray(6, '\0') + char(8) + char(4) + be(depth, 8) + be(0, 8) + be(offsets, 8);
}

void TestStoreRules::listParse_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>(
        "entries"); // "id:name" joined by "|", "-" for a missing value; "none": unusable
    const QList<TestHome::Entry> two = {{"B-ID", "Beta"}, {"A-ID", "Alpha"}};
    const auto plist = [](const QByteArray &body) {
        return "<?xml version=\"1.0\"?><plist>" + body + "</plist>";
    };
    const QByteArray name = "<key>SignatureName</key>";
    QTest::newRow("xml, in file order") << TestHome::listXml(two) << "B-ID:Beta|A-ID:Alpha";
    QTest::newRow("binary") << TestHome::listBinary(two) << "B-ID:Beta|A-ID:Alpha";
    QTest::newRow("empty array") << plist("<array/>") << "";
    QTest::newRow("missing id, number name")
        << plist("<array><dict>" + name + "<integer>7</integer></dict></array>") << "-:-";
    QTest::newRow("duplicates kept") << TestHome::listXml({{"X", "One"}, {"X", "Two"}}) << "X:One|X:Two";
    QTest::newRow("unicode") << TestHome::listXml({{"\u00e9", "\u65e5\u672c"}}) << "\u00e9:\u65e5\u672c";
    QTest::newRow("latin-1") << QByteArray(
                                    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><array><dict>"
                                    "<key>SignatureName</key><string>caf\xe9</string></dict></array></plist>")
                             << "-:caf\u00e9";
    QTest::newRow("repeated key, xml: last counts")
        << plist("<array><dict>" + name + "<string>1</string>" + name + "<string>2</string></dict></array>")
        << "-:2";
    QTest::newRow("repeated key, binary: last counts")
        << QByteArray(
               "bplist00\xA1\x01\xD2\x02\x02\x03\x04\x5DSignatureName\x51\x31\x51\x32\x08\x0A\x0F\x1D\x1F"
               "\0\0\0\0\0\0\1\1\0\0\0\0\0\0\0\5\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x21",
               70)
        << "-:2";
    QTest::newRow("levels inside entries")
        << plist("<array><dict><key>SignatureUniqueId</key><string>a</string>"
                 "<key>More</key>" +
                 QByteArray("<array>").repeated(50) + QByteArray("</array>").repeated(50) + "</dict></array>")
        << "a:-";
    QTest::newRow("nul byte in xml") << plist("<array><dict>" + name + "<string>a" + QByteArray(1, '\0') +
                                              "</string></dict></array>")
                                     << "none";
    QTest::newRow("root is a dictionary") << plist("<dict><key>a</key><string>b</string></dict>") << "none";
    QTest::newRow("element not a dictionary") << plist("<array><dict/><string>b</string></array>") << "none";
    QTest::newRow("truncated xml") << TestHome::listXml(two).left(120) << "none";
    QTest::newRow("truncated binary") << TestHome::listBinary(two).left(40) << "none";
    QTest::newRow("empty file") << QByteArray() << "none";
    // Nesting that would exhaust the parser's stack is refused, however the XML hides it.
    const QByteArray closers = QByteArray("</array>").repeated(200000);
    const QByteArray deep = QByteArray("<array>").repeated(200000) + closers;
    QTest::newRow("deep xml") << plist(deep) << "none";
    QTest::newRow("deep xml, comment") << plist("<!--" + closers + "-->" + deep) << "none";
    QTest::newRow("deep xml, CDATA") << plist("<array><string><![CDATA[" + closers + "]]></string>" + deep +
                                              "</array>")
                                     << "none";
    QTest::newRow("deep xml, processing instruction") << plist("<?hide " + closers + "?>" + deep) << "none";
    QTest::newRow("deep xml, entity")
        << "<!DOCTYPE plist [<!ENTITY hide \"" + closers + "\">]><plist>" + deep + "</plist>"
        << "none";
    QTest::newRow("deep binary") << nestedBinary(200000, false) << "none";
    QTest::newRow("cyclic binary") << nestedBinary(3, true) << "none";
}

void TestStoreRules::listParse()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, entries);
    const auto parsed = SignatureListReader::parseEntries(data);
    QStringList got;
    for (const auto &[id, name] :
         parsed.value_or(QList<std::pair<std::optional<QString>, std::optional<QString>>>()))
        got.append(id.value_or(u"-"_s) + u':' + name.value_or(u"-"_s));
    QCOMPARE(parsed ? got.join(u'|') : u"none"_s, entries);
}

void TestStoreRules::listRead()
{
    TestHome home;
    // Lock states come from the files: ".mailsignature" for an entry without id, unlocked when missing.
    QVERIFY(TestHome::lock(home.file(1)));
    TestHome::write(home.signatures() + u"/.mailsignature"_s, "H\n\n<b/>");
    QVERIFY(TestHome::lock(home.signatures() + u"/.mailsignature"_s));
    TestHome::write(home.listFile(),
                    TestHome::listXml(TestHome::sample())
                        .replace("</array>", "<dict><key>SignatureName</key><string>No id</string></dict>"
                                             "<dict><key>SignatureUniqueId</key><string>GONE</string></dict>"
                                             "</array>"));
    const auto locks = [&home] {
        QList<bool> locked;
        for (const SignatureModel &s :
             SignaturesEngine::readSignatureList(home.listFile()).value_or(QList<SignatureModel>()))
            locked.append(s.isFileLocked);
        return locked;
    };
    QCOMPARE(locks(), (QList<bool>{false, true, false, true, false}));
    QCOMPARE(SignaturesEngine::readSignatureList(home.listFile())->at(1),
             (SignatureModel{home.id(1), home.name(1), true}));
    QVERIFY(TestHome::lock(home.file(1), false));
    QCOMPARE(locks().at(1), false);
    // A missing list, a folder in its place or a broken one: none, and nothing printed.
    const QStringList lines = TestHome::printed([&home] {
        QVERIFY(QFile::remove(home.listFile()) && !SignaturesEngine::readSignatureList(home.listFile()));
        QVERIFY(QDir().mkdir(home.listFile()) && !SignaturesEngine::readSignatureList(home.listFile()));
    });
    QCOMPARE(lines, QStringList());
}

void TestStoreRules::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("header"); // "none" when it does not split
    QTest::addColumn<QString>("body");
    QTest::newRow("header and html") << "H: 1\nH: 2\n\n<body>x</body>"
                                     << "H: 1\nH: 2"
                                     << "<body>x</body>";
    QTest::newRow("starts with an empty line") << "\n<b>x</b>"
                                               << ""
                                               << "<b>x</b>";
    QTest::newRow("empty lines after the first stay in the body") << "H\n\n\n<p>a</p>\n\n<p>b</p>"
                                                                  << "H"
                                                                  << "\n<p>a</p>\n\n<p>b</p>";
    QTest::newRow("crlf line ends") << "H: 1\r\nH: 2\r\n\r\n<b>x</b>\r\n"
                                    << "H: 1\r\nH: 2"
                                    << "<b>x</b>\r\n";
    QTest::newRow("crlf, then lf") << "H\r\n\n<b>"
                                   << "H"
                                   << "<b>";
    QTest::newRow("lone carriage returns") << "H\r\r<b>"
                                           << "none"
                                           << "";
    QTest::newRow("no empty line") << "H\n<b>x</b>"
                                   << "none"
                                   << "";
    QTest::newRow("ends with an empty line") << "H\n\n"
                                             << "H"
                                             << "";
    QTest::newRow("empty") << ""
                           << "none"
                           << "";
}

void TestStoreRules::split()
{
    QFETCH(QString, text);
    QFETCH(QString, header);
    QFETCH(QString, body);
    const std::optional<AppleSignatureContent> content = SignatureFileFormat::split(text);
    QCOMPARE(content ? content->header + u'|' + content->htmlContent : u"none"_s,
             header == u"none" ? header : header + u'|' + body);
    // Strict UTF-8, keeping a byte-order mark so the header stays byte for byte.
    QCOMPARE(SignatureFileFormat::decodeUtf8("\xef\xbb\xbf" + text.toUtf8())->toUtf8(),
             "\xef\xbb\xbf" + text.toUtf8());
    for (const QByteArray &invalid : {"caf\xe9"_ba, "\xc3"_ba, "\xed\xa0\x80"_ba})
        QVERIFY(!SignatureFileFormat::decodeUtf8(text.toUtf8() + invalid));
}

// Each row is a signature file as Mail or a user may have it, and the header it
// must carry after an insert of ASCII text and after one of other text.
void TestStoreRules::written_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("asciiHeader");
    QTest::addColumn<QString>("unicodeHeader");
    const QString mail = TestHome::header(u"A1@x"_s);
    QTest::newRow("quoted-printable, utf-8 on a folded line") << mail + "\n\n<b>old</b>" << mail << mail;
    const QString qp =
        u"Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html;\n\tcharset=us-ascii\nX: 1"_s;
    QTest::newRow("quoted-printable, us-ascii")
        << qp + "\n\nold" << qp
        << "Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html; charset=utf-8\nX: 1";
    const QString sevenBit =
        u"Content-Type: text/html; charset=us-ascii\nContent-Transfer-Encoding: 7bit\nX: 1"_s;
    QTest::newRow("7bit, us-ascii")
        << sevenBit + "\n\nold" << sevenBit
        << "Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\nX: 1";
    const QString eightBit = u"Content-Type: text/html; charset=UTF-8\nContent-Transfer-Encoding: 8bit"_s;
    QTest::newRow("8bit") << eightBit + "\n\nold" << eightBit << eightBit;
    const QString base64 = u"Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: base64"_s;
    QTest::newRow("base64") << base64 + "\n\nb2xk\n" << base64 << base64;
    const QString none = u"Content-Type: text/html;\n\tcharset=utf-8\nX: 1"_s;
    QTest::newRow("no transfer-encoding line")
        << none + "\n\nold" << none << none + "\nContent-Transfer-Encoding: quoted-printable";
    const QString html =
        u"Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\nX: 1"_s;
    QTest::newRow("multipart/related with an image")
        << "Content-Type: multipart/related;\n\tboundary=\"Apple-Mail=_B\"\nContent-Transfer-Encoding: "
           "7bit\nX: 1\n\n"
           "--Apple-Mail=_B\nContent-Type: text/html\n\n<img "
           "src=\"cid:i\">\n\n--Apple-Mail=_B\nContent-Type: "
           "image/png\nContent-Transfer-Encoding: base64\n\niVBORw0KGgo=\n--Apple-Mail=_B--\n"
        << html << html;
    const QString crlf = QString(qp).replace(u"\n"_s, u"\r\n"_s);
    QTest::newRow("crlf header") << crlf + "\r\n\r\nold\r\n"
                                 << crlf
                                 << "Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/html; "
                                    "charset=utf-8\r\nX: 1";
}

void TestStoreRules::written()
{
    QFETCH(QString, file);
    QFETCH(QString, asciiHeader);
    QFETCH(QString, unicodeHeader);
    const QStringList htmls = {
        u"<a href=\"https://x.example/?id=12345&utm_source=abc\"><img width=100 src=a.png></a>"_s,
        u"<p>Gr\u00fc\u00dfe aus K\u00f6ln \u2014 \U0001F600</p>"_s,
        u"<p>%1</p>"_s.arg(QString(200, u'x')),
        u"<p>a  </p>  \n<p>b\t</p>\t"_s,
        u"<div>a</div>\n\n<div>b</div>\n\n\n<p>c</p>"_s,
        u"<p>x</p>="_s,
        u"<p>a</p>\r\n<p>b</p>\r\n"_s,
    };
    const std::optional<AppleSignatureContent> old = SignatureFileFormat::split(file);
    QVERIFY(old);
    QTemporaryDir dir;
    QStringList paths;
    for (const QString &html : htmls) {
        const std::optional<QByteArray> bytes = SignatureFileFormat::compose(old->header, html);
        paths.append(dir.filePath(QString::number(paths.size())));
        QVERIFY(bytes && TestHome::write(paths.last(), *bytes));
        // Read back whole, only the fields that had to change rewritten, previewed as when it was inserted.
        const auto back = SignatureFileFormat::split(*SignatureFileFormat::decodeUtf8(*bytes));
        QVERIFY(back);
        QCOMPARE(back->header, html.toUtf8() == html.toLatin1() ? asciiHeader : unicodeHeader);
        QCOMPARE(UpdateScript::build(SignatureFileFormat::previewBody(*back)),
                 UpdateScript::build(SignatureFileFormat::previewText(html)));
    }
    // Decoded by an independent MIME reader to exactly what was inserted.
    const QList<std::optional<QString>> decoded = TestHome::mimeDecoded(paths);
    QCOMPARE(decoded.size(), htmls.size());
    for (qsizetype i = 0; i < htmls.size(); ++i)
        QCOMPARE(decoded[i].value_or(u"<unreadable>"_s), htmls[i]);
}

QTEST_GUILESS_MAIN(TestStoreRules)
#include "tst_storerules.moc"
