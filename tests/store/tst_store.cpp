// The store's rules, on odd input too: what it publishes, where Mail's folders are, templates, the list file,
// the signature file as it is read and as it is written (read back by Python's e-mail package).
#include "store/HtmlInput.h"
#include "store/MailFolders.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureListReader.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureTemplate.h"
#include "tests/common/TestHome.h"

#include <QSignalSpy>
#include <QTemporaryFile>

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
        data += i + 1 < depth || cycle ? char(0xA1) + be((i + 1) % depth, 4) : QByteArray(1, char(0xA0));
    }
    return data + table + QByteArray(6, '\0') + "\x08\x04" + be(depth, 8) + be(0, 8) + be(data.size(), 8);
}

class TestStore : public QObject
{
    Q_OBJECT
private slots:
    void published()
    {
        SignatureSelectionUIModel model;
        QSignalSpy announced(&model, &SignatureSelectionUIModel::changed);
        QList<std::pair<std::optional<SignatureModel>, std::optional<SignatureModel>>>
            seen; // delivered, stored
        Cancellable token = model.signature().sink([&](const auto &value) {
            seen.append({value, model.signature().get()});
        });
        // The current value at once, unannounced; each set delivered before it is stored, equal or not.
        const SignatureModel a{u"A"_s, u"Caf\u00e9"_s, false}, decomposed{u"A"_s, u"Cafe\u0301"_s, false};
        model.signature().set(a);
        model.signature().set(decomposed);
        QCOMPARE(tuple(seen.size(), announced.count()), tuple(3, 2));
        QCOMPARE(tuple(seen[1].first == a, bool(seen[1].second), seen[2].second == a),
                 tuple(true, false, true));
        const SignatureModel locked{a.id, a.name, true}, notRich{a.id, a.name, false, false};
        QCOMPARE(tuple(a == decomposed, qHash(a) == qHash(decomposed), a != locked, qHash(a) != qHash(locked),
                       a != notRich),
                 tuple(true, true, true, true, true));
        // Cancelled during a delivery: that value is missed; a cancelled token gets nothing more.
        Published<int> value(1);
        QList<int> first, second;
        std::unique_ptr<Cancellable> firstToken;
        Cancellable canceller = value.sink([&](int v) { v == 3 ? firstToken.reset() : void(); });
        firstToken = std::make_unique<Cancellable>(value.sink([&](int v) { first.append(v); }));
        Cancellable secondToken = value.sink([&](int v) { second.append(v); });
        for (int v : {2, 3, 4})
            value.set(v);
        secondToken.cancel();
        value.set(5);
        QCOMPARE(tuple(first, second), tuple(QList<int>{1, 2}, QList<int>{1, 2, 3, 4}));
        Cancellable orphan = std::make_unique<Published<int>>(0)->sink([](int) {}); // outliving its publisher
    }
    void versionFolderChoice_data()
    {
        columns<QStringList, QString, QString>(); // candidates, the one last used, the one chosen
        row("one folder, stale record", QStringList{"V10"}, u"V9"_s, u"V10"_s);
        row("highest number, not listing order", QStringList{"V9", "V10", "V2"}, QString(), u"V10"_s);
        row("last used wins", QStringList{"V9", "V10"}, u"V9"_s, u"V9"_s);
        row("last used gone", QStringList{"V9", "V10"}, u"V11"_s, u"V10"_s);
        row("numbers beat names", QStringList{"Vbackup", "V", "V3"}, QString(), u"V3"_s);
        row("no numbers: listing order", QStringList{"Vbackup", "V"}, QString(), u"Vbackup"_s);
        row("none", QStringList{}, u"V10"_s, QString());
    }
    void versionFolderChoice()
    {
        const auto [candidates, lastUsed, chosen] = fetch<QStringList, QString, QString>();
        const auto last = lastUsed.isEmpty() ? std::nullopt : std::optional(lastUsed);
        QCOMPARE(MailFolders::chooseVersionFolder(candidates, last).value_or(QString()), chosen);
    }
    void folders()
    {
        TestHome home;
        QDir(home.mail()).removeRecursively();
        // Hidden, lower-case and misplaced V, and regular files, never count.
        for (const QString &name : {u".V99"_s, u"v11"_s, u"MailV"_s})
            QVERIFY(QDir().mkpath(home.mail() + u'/' + name));
        QVERIFY(TestHome::write(home.mail() + u"/V100"_s, "a file"));
        QCOMPARE(TestHome::printed([] { QVERIFY(!SignaturesEngine::signatureFileURL(u"X"_s)); }),
                 QStringList{u"No folder starting with 'V' found."_s});
        // After an upgrade: the newer folder, unless Mail records another as last used; nothing is cached.
        QVERIFY(QDir().mkpath(home.mail() + u"/V9"_s) && QDir().mkpath(home.signatures()));
        QCOMPARE(SignaturesEngine::findMailVersionFolder(), std::optional(home.mail() + u"/V10"_s));
        const QString info = home.mail() + u"/PersistenceInfo.plist"_s;
        TestHome::write(
            info, "<plist><dict><key>LastUsedVersionDirectoryName</key><string>V9</string></dict></plist>");
        QCOMPARE(SignaturesEngine::findMailVersionFolder(), std::optional(home.mail() + u"/V9"_s));
        TestHome::write(info, "\x00\x01 not a plist"); // a broken record is ignored
        QCOMPARE(SignaturesEngine::allSignaturesListURL(), std::optional(home.listFile()));
    }
    void templateFill_data()
    {
        // template, what it fills to (or the refusal) with name, title and an empty phone, fields asked for
        columns<QString, QString, QString>();
        row("escaped", u"<p>{{name}}</p>"_s, u"<p>Ada &lt;&amp; &quot;\u00e9&apos;</p>"_s, u"name"_s);
        row("as it is", u"{{{title}}} {{&title}}"_s, u"<b>Chief</b> <b>Chief</b>"_s, u"title"_s);
        row("section with a value", u"{{#name}}[{{name}}]{{/name}}"_s,
            u"[Ada &lt;&amp; &quot;\u00e9&apos;]"_s, u"name"_s);
        row("section with an empty value",
            u"a{{#phone}}, {{phone}}{{/phone}}{{^phone}}!{{/phone}}[{{phone}}]"_s, u"a![]"_s, u"phone"_s);
        row("section without one", u"a{{#fax}}{{fax}}{{/fax}}"_s, u"a"_s, u"fax"_s);
        row("nested sections", u"{{#name}}{{#title}}{{title}}/{{mobile}}{{/title}}{{/name}}"_s,
            u"No value for {{mobile}}: give --field mobile=\u2026"_s, u"name,title,mobile"_s);
        row("no value", u"{{name}} {{mobile}} {{name}}"_s,
            u"No value for {{mobile}}: give --field mobile=\u2026"_s, u"name,mobile"_s);
        row("not a template", u"{{#name}}"_s,
            u"The HTML is not a template that can be filled: Unclosed section \"name\" at 0."_s, QString());
        row("no placeholders", u"<p>{ {x} }</p>"_s, u"<p>{ {x} }</p>"_s, QString());
        // Sections deep enough to overflow the filler's stack, and partials, never reach it.
        const QString tooDeep =
            u"The template nests its sections more than 100 deep, so it was not filled."_s;
        const auto nested = [](int depth, const QString &open, const QString &close) {
            return open.repeated(depth) + u'x' + close.repeated(depth);
        };
        row("100 deep", nested(100, u"{{#name}}"_s, u"{{/name}}"_s), u"x"_s, u"name"_s);
        row("101 deep, blanks in tags", nested(101, u"{{ #name }}"_s, u"{{/ name}}"_s), tooDeep, QString());
        row("101 deep, delimiters set", u"{{=<% %>=}}"_s + nested(101, u"<%#name%>"_s, u"<%/name%>"_s),
            tooDeep, QString());
        row("a partial", u"<p>{{name}}{{> footer }}</p>"_s,
            u"The template asks for the partial {{> footer}}, and there are no partials: put its HTML into "
            u"the template."_s,
            QString());
    }
    void templateFill()
    {
        const auto [html, expected, fields] = fetch<QString, QString, QString>();
        const SignatureTemplate::Filled filled = SignatureTemplate::fill(
            html,
            {{u"name"_s, u"Ada <& \"\u00e9'"_s}, {u"title"_s, u"<b>Chief</b>"_s}, {u"phone"_s, QString()}});
        QCOMPARE(filled.html.value_or(filled.failure.value_or(u"<none>"_s)), expected);
        QCOMPARE(SignatureTemplate::hasPlaceholders(html), html != u"<p>{ {x} }</p>"_s);
        QCOMPARE(SignatureTemplate::fieldNames(html).join(u','), fields);
    }
    void inputOverItsLimit()
    {
        // Input filling the limit (a small one here) is taken whole; a byte more is refused, never cut.
        QTemporaryFile file;
        QVERIFY(file.open() && file.write("<p>1234</p>") == 11 && file.flush());
        QCOMPARE(HtmlInput::fromFile(file.fileName(), u"x.html"_s, false, 11).html, u"<p>1234</p>"_s);
        QCOMPARE(HtmlInput::fromFile(file.fileName(), u"x.html"_s, false, 10).failure,
                 u"Cannot read x.html: it is too large."_s);
    }
    void listParse_data()
    {
        // The data; "id:name|..." with "-" for a missing value, "~" after one not rich; "none": unusable.
        columns<QByteArray, QString>();
        const QList<TestHome::Entry> two = {{"B", "Beta"}, {"A", "Alpha"}};
        const auto plist = [](const QByteArray &body) {
            return "<?xml version=\"1.0\"?><plist>" + body + "</plist>";
        };
        const QByteArray name = "<key>SignatureName</key>";
        row("xml, in file order", TestHome::listXml(two), u"B:Beta|A:Alpha"_s);
        row("empty array", plist("<array/>"), QString());
        row("missing id, number name, not rich",
            plist("<array><dict>" + name +
                  "<integer>7</integer><key>SignatureIsRich</key><false/></dict></array>"),
            u"-:-~"_s);
        row("duplicates kept", TestHome::listXml({{"X", "1"}, {"X", "2"}}), u"X:1|X:2"_s);
        row("repeated key, xml: the last counts",
            plist("<array><dict>" + name + "<string>1</string>" + name + "<string>2</string></dict></array>"),
            u"-:2"_s);
        const QByteArray binary = QByteArray(
            "bplist00\xA1\x01\xD2\x02\x02\x03\x04\x5DSignatureName\x51\x31\x51\x32\x08\x0A\x0F\x1D\x1F"
            "\0\0\0\0\0\0\1\1\0\0\0\0\0\0\0\5\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x21",
            70);
        row("binary, a key repeated: the last counts", binary, u"-:2"_s);
        row("CDATA, entities and comments within text",
            plist("<array><dict>" + name +
                  "<string><![CDATA[<b>]]>&amp;<!-- x -->&#233;</string></dict></array>"),
            u"-:<b>&\u00e9"_s);
        row("nul byte in xml", plist("<array><dict>" + name + "<string>a\0</string></dict></array>"_ba),
            u"none"_s);
        row("entity of an outside DTD",
            "<!DOCTYPE plist SYSTEM \"x.dtd\"><plist><array><dict>" + name +
                "<string>a&nbsp;b</string></dict></array></plist>",
            u"none"_s);
        row("root is a dictionary", plist("<dict><key>a</key><string>b</string></dict>"), u"none"_s);
        row("element not a dictionary", plist("<array><dict/><string>b</string></array>"), u"none"_s);
        row("truncated xml", TestHome::listXml(two).left(120), u"none"_s);
        row("truncated binary", binary.left(40), u"none"_s);
        // Nesting that would exhaust the parser's stack is refused, however the XML hides it.
        const QByteArray closers = "</array>"_ba.repeated(200000),
                         deep = "<array>"_ba.repeated(200000) + closers;
        row("deep xml", plist(deep), u"none"_s);
        row("deep xml, comment", plist("<!--" + closers + "-->" + deep), u"none"_s);
        row("deep xml, CDATA",
            plist("<array><string><![CDATA[" + closers + "]]></string>" + deep + "</array>"), u"none"_s);
        row("deep xml, processing instruction", plist("<?hide " + closers + "?>" + deep), u"none"_s);
        row("deep xml, entity",
            "<!DOCTYPE p [<!ENTITY hide \"" + closers + "\">]><plist>" + deep + "</plist>", u"none"_s);
        row("deep binary", nestedBinary(200000, false), u"none"_s);
        row("cyclic binary", nestedBinary(3, true), u"none"_s);
    }
    void listParse()
    {
        const auto [data, entries] = fetch<QByteArray, QString>();
        const auto parsed = SignatureListReader::parseEntries(data);
        QStringList got;
        for (qsizetype i = 0; parsed && i < parsed->size(); ++i)
            got.append(parsed->at(i).id.value_or(u"-"_s) + u':' + parsed->at(i).name.value_or(u"-"_s) +
                       (parsed->at(i).isRich == false ? u"~"_s : QString()));
        QCOMPARE(parsed ? got.join(u'|') : u"none"_s, entries);
    }
    void split_data()
    {
        columns<QString, QString>(); // the text, and its header|body or "none"
        row("header and html", u"H: 1\nH: 2\n\n<body>x</body>"_s, u"H: 1\nH: 2|<body>x</body>"_s);
        row("starts with an empty line", u"\n<b>x</b>"_s, u"|<b>x</b>"_s);
        row("later empty lines are the body's", u"H\n\n\n<p>a</p>\n\n<p>b</p>"_s,
            u"H|\n<p>a</p>\n\n<p>b</p>"_s);
        row("crlf line ends", u"H: 1\r\nH: 2\r\n\r\n<b>x</b>\r\n"_s, u"H: 1\r\nH: 2|<b>x</b>\r\n"_s);
        row("crlf, then lf", u"H\r\n\n<b>"_s, u"H|<b>"_s);
        row("lone carriage returns", u"H\r\r<b>"_s, u"none"_s);
        row("no empty line", u"H\n<b>x</b>"_s, u"none"_s);
        row("ends with an empty line", u"H\n\n"_s, u"H|"_s);
    }
    void split()
    {
        const auto [text, split] = fetch<QString, QString>();
        const std::optional<AppleSignatureContent> content = SignatureFileFormat::split(text);
        QCOMPARE(content ? content->header + u'|' + content->htmlContent : u"none"_s, split);
        // Strict UTF-8 that keeps a byte-order mark, so the header stays byte for byte.
        QCOMPARE(SignatureFileFormat::decodeUtf8("\xef\xbb\xbf" + text.toUtf8())->toUtf8(),
                 "\xef\xbb\xbf" + text.toUtf8());
        for (const QByteArray &invalid : {"caf\xe9"_ba, "\xc3"_ba, "\xed\xa0\x80"_ba})
            QVERIFY(!SignatureFileFormat::decodeUtf8(text.toUtf8() + invalid));
    }
    void bodyDecodedByItsHeader_data()
    {
        columns<QString, QString, QString>(); // header, body, what the preview and the notes read
        const QString qp =
            u"Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html;\n\tcharset="_s;
        row("quoted-printable", qp + u"utf-8"_s, u"<p a=3D\"1\">caf=C3=A9 =\nit's</p>"_s,
            u"<p a=\"1\">caf\u00e9 it's</p>"_s);
        row("latin-1", qp + u"iso-8859-1"_s, u"caf=E9"_s, u"caf\u00e9"_s);
        row("base64", u"Content-Transfer-Encoding: base64"_s, u"PHA+w6k8L3A+"_s, u"<p>\u00e9</p>"_s);
        // Nothing declares it encoded, so nothing is decoded.
        row("7bit", u"Content-Type: text/html"_s, u"a=3D\\b=\n"_s, u"a=3D\\b=\n"_s);
        row("8bit", u"Content-Transfer-Encoding: 8bit"_s, u"caf\u00e9=C3=A9"_s, u"caf\u00e9=C3=A9"_s);
        row("not UTF-8: as the file holds it", qp + u"utf-8"_s, u"caf=E9"_s, u"caf=E9"_s);
    }
    void bodyDecodedByItsHeader()
    {
        const auto [header, body, shown] = fetch<QString, QString, QString>();
        SignatureRenderUIModel rendered;
        rendered.signature().set(AppleSignatureContent{header, body});
        QCOMPARE(rendered.html(), shown);
        rendered.signature().set(std::nullopt);
        QCOMPARE(rendered.html(), QString());
    }
    void written_data()
    {
        // A signature file, and the header it must carry after inserting ASCII text, and other text.
        columns<QString, QString, QString>();
        const QString mail = TestHome::header(u"A1@x"_s), type = u"Content-Type: text/html;"_s;
        const QString cte = u"Content-Transfer-Encoding: "_s, utf8 = type + u" charset=utf-8"_s;
        const QString qp = cte + u"quoted-printable\n"_s + type + u"\n\tcharset=us-ascii\nX: 1"_s;
        row("quoted-printable, utf-8 on a folded line", mail + u"\n\nold"_s, mail, mail);
        row("quoted-printable, us-ascii", qp + u"\n\nold"_s, qp,
            cte + u"quoted-printable\n"_s + utf8 + u"\nX: 1"_s);
        const QString sevenBit = type + u" charset=us-ascii\n"_s + cte + u"7bit\nX: 1"_s;
        row("7bit, us-ascii", sevenBit + u"\n\nold"_s, sevenBit,
            utf8 + u'\n' + cte + u"quoted-printable\nX: 1"_s);
        const QString eightBit = type + u" charset=UTF-8\n"_s + cte + u"8bit"_s;
        row("8bit", eightBit + u"\n\nold"_s, eightBit, eightBit);
        const QString base64 = utf8 + u'\n' + cte + u"base64"_s;
        row("base64", base64 + u"\n\nb2xk\n"_s, base64, base64);
        const QString none = type + u"\n\tcharset=utf-8\nX: 1"_s;
        row("no transfer-encoding line", none + u"\n\nold"_s, none,
            none + u'\n' + cte + u"quoted-printable"_s);
        const QString single = utf8 + u'\n' + cte + u"quoted-printable\nX: 1"_s;
        row("multipart/related with an image",
            u"Content-Type: multipart/related;\n\tboundary=\"B\"\n"_s + cte + u"7bit\nX: 1\n\n--B\n"_s +
                type + u"\n\n<img src=\"cid:i\">\n\n--B\nContent-Type: image/png\n"_s + cte +
                u"base64\n\niVBORw0KGgo=\n--B--\n"_s,
            single, single);
        const QString crlf = QString(qp).replace(u'\n', u"\r\n"_s);
        row("crlf header", crlf + u"\r\n\r\nold\r\n"_s, crlf,
            cte + u"quoted-printable\r\n"_s + utf8 + u"\r\nX: 1"_s);
    }
    void written()
    {
        const auto [file, asciiHeader, unicodeHeader] = fetch<QString, QString, QString>();
        const QStringList htmls = {
            u"<a href=\"https://x.example/?id=12345&utm_source=abc\"><img width=100></a>"_s,
            u"<p>Gr\u00fc\u00dfe aus K\u00f6ln \u2014 \U0001F600</p>"_s,
            u"<p>%1</p>"_s.arg(QString(200, u'x')),
            u"<p>a  </p>  \n<p>b\t</p>\t"_s,
            u"<div>a</div>\n\n<div>b</div>\n\n\n<p>c</p>"_s,
            u"<p>x</p>="_s,
            u"<p>a</p>\r\n<p>b</p>\r\n"_s};
        const std::optional<AppleSignatureContent> old = SignatureFileFormat::split(file);
        QTemporaryDir dir;
        QStringList paths;
        for (const QString &html : htmls) {
            const std::optional<QByteArray> bytes = SignatureFileFormat::compose(old.value().header, html);
            paths.append(dir.filePath(QString::number(paths.size())));
            QVERIFY(bytes && TestHome::write(paths.last(), *bytes));
            // Read back whole, only the fields that had to change rewritten, previewed as inserted.
            const auto back = SignatureFileFormat::split(*SignatureFileFormat::decodeUtf8(*bytes));
            QCOMPARE(back.value().header, html.toUtf8() == html.toLatin1() ? asciiHeader : unicodeHeader);
            QCOMPARE(SignatureFileFormat::decodedBody(*back), html);
        }
        // Decoded by an independent MIME reader to exactly what was inserted.
        QCOMPARE(TestHome::mimeDecoded(paths), htmls);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
