#include "store/SignatureListReader.h"
#include "store/SignaturesEngine.h"
#include "tests/common/MailFixture.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/ImmutableFlag.h"
#include "tests/common/TestEnvironment.h"

#include <QDir>
#include <QTest>

class TestSignatureListReader : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void readsLockStateAndOrder();
    void unusableFiles();
};

// A binary property list of arrays nested depth deep (each holding the next);
// with cycle the last one holds the first again.
static QByteArray nestedBinary(quint32 depth, bool cycle)
{
    QByteArray data("bplist00");
    QList<quint64> offsets;
    auto be = [](quint64 v, int width) {
        QByteArray out(width, '\0');
        for (int i = width - 1; i >= 0; --i, v >>= 8)
            out[i] = char(v & 0xff);
        return out;
    };
    for (quint32 i = 0; i < depth; ++i) {
        offsets.append(quint64(data.size()));
        const bool last = i + 1 == depth;
        if (last && !cycle)
            data += char(0xA0);
        else
            data += char(0xA1) + be(last ? 0 : i + 1, 4);
    }
    const quint64 table = quint64(data.size());
    for (quint64 offset : offsets)
        data += be(offset, 8);
    data += QByteArray(6, '\0') + char(8) + char(4) + be(depth, 8) + be(0, 8) + be(table, 8);
    return data;
}

// A binary list of one dictionary that holds "SignatureName" twice, first
// "first" then "second" (the binary format can say so, XML parsing cannot keep it).
static QByteArray binaryWithRepeatedName()
{
    QByteArray data("bplist00");
    QList<char> offsets;
    auto object = [&](const QByteArray &bytes) {
        offsets.append(char(data.size()));
        data += bytes;
    };
    object(QByteArray("\xA1\x01", 2));             // 0: array [1]
    object(QByteArray("\xD2\x02\x02\x03\x04", 5)); // 1: dict {2: 3, 2: 4}
    object("\x5D" + QByteArray("SignatureName"));  // 2
    object("\x55" + QByteArray("first"));          // 3
    object("\x56" + QByteArray("second"));         // 4
    const char table = char(data.size());
    for (char offset : offsets)
        data += offset;
    data += QByteArray(6, '\0') + char(1) + char(1);
    data += QByteArray(7, '\0') + char(offsets.size()) + QByteArray(8, '\0') + QByteArray(7, '\0') + table;
    return data;
}

void TestSignatureListReader::parse_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QStringList>("ids"); // "<none>" for a missing or non-text value
    QTest::addColumn<QStringList>("names");

    const QList<MailFixture::Entry> two = {{"B-ID", "Beta"}, {"A-ID", "Alpha"}};
    auto plist = [](const QByteArray &body) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">" + body + "</plist>";
    };
    QTest::newRow("xml") << MailFixture::listXml(two) << true << QStringList{"B-ID", "A-ID"}
                         << QStringList{"Beta", "Alpha"};
    QTest::newRow("binary") << MailFixture::listBinary(two) << true << QStringList{"B-ID", "A-ID"}
                            << QStringList{"Beta", "Alpha"};
    QTest::newRow("empty array") << plist("<array/>") << true << QStringList{} << QStringList{};
    QTest::newRow("missing id, number name")
        << plist("<array><dict><key>SignatureName</key><integer>7</integer></dict></array>") << true
        << QStringList{"<none>"} << QStringList{"<none>"};
    QTest::newRow("duplicates kept") << MailFixture::listXml({{"X", "One"}, {"X", "Two"}}) << true
                                     << QStringList{"X", "X"} << QStringList{"One", "Two"};
    QTest::newRow("latin-1") << QByteArray(
                                    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><array><dict>"
                                    "<key>SignatureName</key><string>caf\xe9</string></dict></array></plist>")
                             << true << QStringList{"<none>"} << QStringList{"caf\u00e9"};
    QTest::newRow("nul byte in xml") << plist(QByteArray("<array><dict><key>SignatureName</key><string>a") +
                                              '\0' + "</string></dict></array>")
                                     << false << QStringList{} << QStringList{};
    QTest::newRow("unicode") << MailFixture::listXml({{"\u00e9", "\u65e5\u672c"}}) << true
                             << QStringList{"\u00e9"} << QStringList{"\u65e5\u672c"};
    QTest::newRow("root is a dictionary") << plist("<dict><key>a</key><string>b</string></dict>") << false
                                          << QStringList{} << QStringList{};
    QTest::newRow("root is text") << plist("<string>x</string>") << false << QStringList{} << QStringList{};
    QTest::newRow("element not a dictionary")
        << plist("<array><dict><key>SignatureUniqueId</key><string>a</string></dict><string>b</string></array>")
        << false << QStringList{} << QStringList{};
    QTest::newRow("truncated xml") << MailFixture::listXml(two).left(120) << false << QStringList{}
                                   << QStringList{};
    QTest::newRow("truncated binary") << MailFixture::listBinary(two).left(40) << false << QStringList{}
                                      << QStringList{};
    QTest::newRow("garbage") << QByteArray("\xff\xfe\x00garbage", 10) << false << QStringList{} << QStringList{};
    QTest::newRow("empty file") << QByteArray() << false << QStringList{} << QStringList{};
    // Nesting deep enough to exhaust the parser's stack is refused before
    // parsing, also where closing tags elsewhere in the document hide it.
    const QByteArray closers = QByteArray("</array>").repeated(200000);
    const QByteArray deep = QByteArray("<array>").repeated(200000) + closers;
    QTest::newRow("deep xml") << plist(deep) << false << QStringList{} << QStringList{};
    QTest::newRow("deep xml, comment")
        << plist("<!--" + closers + "-->" + deep) << false << QStringList{} << QStringList{};
    QTest::newRow("deep xml, CDATA") << plist("<array><string><![CDATA[" + closers + "]]></string>" + deep +
                                              "</array>")
                                     << false << QStringList{} << QStringList{};
    QTest::newRow("deep xml, processing instruction")
        << plist("<?hide " + closers + "?>" + deep) << false << QStringList{} << QStringList{};
    QTest::newRow("deep xml, entity")
        << "<!DOCTYPE plist [<!ENTITY hide \"" + closers + "\">]><plist>" + deep + "</plist>" << false
        << QStringList{} << QStringList{};
    QTest::newRow("deep binary") << nestedBinary(200000, false) << false << QStringList{} << QStringList{};
    QTest::newRow("cyclic binary") << nestedBinary(3, true) << false << QStringList{} << QStringList{};
    QTest::newRow("shallow binary") << nestedBinary(3, false) << false << QStringList{} << QStringList{};
    // A repeated key: the last value counts, in either encoding.
    QTest::newRow("repeated key, binary")
        << binaryWithRepeatedName() << true << QStringList{"<none>"} << QStringList{"second"};
    QTest::newRow("repeated key, xml")
        << plist("<array><dict><key>SignatureName</key><string>first</string>"
                 "<key>SignatureName</key><string>second</string></dict></array>")
        << true << QStringList{"<none>"} << QStringList{"second"};
    QTest::newRow("extra levels inside entries")
        << plist("<array><dict><key>SignatureUniqueId</key><string>a</string><key>More</key>" +
                 QByteArray("<array>").repeated(50) + QByteArray("</array>").repeated(50) + "</dict></array>")
        << true << QStringList{"a"} << QStringList{"<none>"};
}

void TestSignatureListReader::parse()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, usable);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, names);
    const auto entries = SignatureListReader::parseEntries(data);
    QCOMPARE(entries.has_value(), usable);
    if (!entries)
        return;
    QStringList gotIds, gotNames;
    for (const auto &[id, name] : *entries) {
        gotIds.append(id.value_or(QStringLiteral("<none>")));
        gotNames.append(name.value_or(QStringLiteral("<none>")));
    }
    QCOMPARE(gotIds, ids);
    QCOMPARE(gotNames, names);
}

void TestSignatureListReader::readsLockStateAndOrder()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    const auto entries = mail.writeSample();
    QVERIFY(ImmutableFlag::set(mail.signatureFile(entries[1].id)));
    // An entry without id reads the lock of ".mailsignature"; a missing file is not locked.
    TestEnvironment::writeFile(mail.folder() + QStringLiteral("/.mailsignature"), "H\n\n<b/>");
    QVERIFY(ImmutableFlag::set(mail.folder() + QStringLiteral("/.mailsignature")));
    const QByteArray xml = MailFixture::listXml(entries).replace(
        "</array>", "<dict><key>SignatureName</key><string>No id</string></dict>"
                    "<dict><key>SignatureUniqueId</key><string>MISSING</string></dict>"
                    "<dict><key>SignatureUniqueId</key><string>../../../escape</string></dict></array>");
    TestEnvironment::writeFile(mail.listFile(), xml);

    const auto list = SignaturesEngine::readSignatureList(mail.listFile());
    QVERIFY(list);
    QCOMPARE(list->size(), 6);
    QCOMPARE(list->at(0), (SignatureModel{entries[0].id, QStringLiteral("Work"), false}));
    QCOMPARE(list->at(1), (SignatureModel{entries[1].id, QStringLiteral("Personal"), true}));
    QCOMPARE(list->at(2).name, QStringLiteral("Short"));
    QCOMPARE(list->at(3), (SignatureModel{QString(), QStringLiteral("No id"), true}));
    QCOMPARE(list->at(4), (SignatureModel{QStringLiteral("MISSING"), QString(), false}));
    QCOMPARE(list->at(5).isFileLocked, false);

    QVERIFY(ImmutableFlag::clear(mail.signatureFile(entries[1].id)));
    QCOMPARE(SignaturesEngine::readSignatureList(mail.listFile())->at(1).isFileLocked, false);
    // The same list as a binary property list reads the same.
    TestEnvironment::writeFile(mail.listFile(), MailFixture::listBinary(entries));
    QCOMPARE(SignaturesEngine::readSignatureList(mail.listFile())->size(), 3);
}

void TestSignatureListReader::unusableFiles()
{
    TestEnvironment env;
    MailFixture mail(env.makeSignaturesFolder());
    StdoutCapture out;
    QVERIFY(!SignaturesEngine::readSignatureList(mail.listFile())); // missing
    QDir().mkpath(mail.listFile());                                  // a folder in its place
    QVERIFY(!SignaturesEngine::readSignatureList(mail.listFile()));
    QDir().rmdir(mail.listFile());
    TestEnvironment::writeFile(mail.listFile(), "<plist><array><dict>");
    QVERIFY(!SignaturesEngine::readSignatureList(mail.listFile()));
    QCOMPARE(out.lines(), QStringList()); // list failures print nothing
}

QTEST_GUILESS_MAIN(TestSignatureListReader)
#include "tst_signaturelistreader.moc"
