// The signature store on real files: its rules, the engine, odd input and failures from outside.
#include "store/HtmlInput.h"
#include "store/KeptVersions.h"
#include "store/MailFolders.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureListReader.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignatureTemplate.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/common/TestHome.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryFile>

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
        QCOMPARE(seen.size(), 3);
        QCOMPARE(seen[1].first, a);
        QVERIFY(!seen[1].second);
        QCOMPARE(seen[2].second, a);
        QCOMPARE(announced.count(), 2);
        QCOMPARE(a, decomposed);
        QCOMPARE(qHash(a), qHash(decomposed));
        QVERIFY(a != (SignatureModel{a.id, a.name, true}));
        QVERIFY(qHash(a) != qHash(SignatureModel{a.id, a.name, true}));
        QVERIFY(a != (SignatureModel{a.id, a.name, false, false}));
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
        QCOMPARE(first, QList<int>({1, 2}));
        QCOMPARE(second, QList<int>({1, 2, 3, 4}));
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
            QDir().mkpath(home.mail() + u'/' + name);
        TestHome::write(home.mail() + u"/V100"_s, "a file");
        QCOMPARE(TestHome::printed([] { QVERIFY(!SignaturesEngine::signatureFileURL(u"X"_s)); }),
                 QStringList{u"No folder starting with 'V' found."_s});
        // After an upgrade: the newer folder, unless Mail records another as last used; nothing is cached.
        QDir().mkpath(home.mail() + u"/V9"_s);
        QDir().mkpath(home.signatures());
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
        // Input that fills the limit is taken whole; one byte more is refused, never cut. A small limit
        // stands in for the real one.
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
            QVERIFY(bytes);
            QVERIFY(TestHome::write(paths.last(), *bytes));
            // Read back whole, only the fields that had to change rewritten, previewed as inserted.
            const auto back = SignatureFileFormat::split(*SignatureFileFormat::decodeUtf8(*bytes));
            QCOMPARE(back.value().header, html.toUtf8() == html.toLatin1() ? asciiHeader : unicodeHeader);
            QCOMPARE(SignatureFileFormat::decodedBody(*back), html);
        }
        // Decoded by an independent MIME reader to exactly what was inserted.
        QCOMPARE(TestHome::mimeDecoded(paths), htmls);
    }
    void startUpAndSelection()
    {
        EngineSample s;
        QObject *monitor = s.engine->folderMonitor();
        QVERIFY(s.authorized());
        QCOMPARE(s.list().size(), 3);
        QVERIFY(!s.shown());
        QCOMPARE(monitor->objectName(), s.home.signatures());
        // Locks come from the files: ".mailsignature" for an entry without id; a missing file is not locked.
        QVERIFY(TestHome::write(s.home.file(QString()), "H\n\n<b/>"));
        QVERIFY(TestHome::lock(s.home.file(1)));
        QVERIFY(TestHome::lock(s.home.file(QString())));
        s.home.writeList(TestHome::sample() +
                         QList<TestHome::Entry>{{QString(), u"No id"_s}, {u"GONE"_s, QString()}});
        // A second grant announces nothing, makes no second monitor, and loads again, as every load does.
        QSignalSpy authorized(s.engine->accessAuthorize(), &SignaturesEngineAccessAuthorize::changed);
        s.engine->accessGranted();
        QCOMPARE(authorized.count(), 0);
        QCOMPARE(s.engine->folderMonitor(), monitor);
        QCOMPARE(s.listed.count(), 1);
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
        QVERIFY(TestHome::lock(s.home.file(1), false));
        QVERIFY(TestHome::lock(s.home.file(QString()), false));

        QSignalSpy rendered(s.engine->renderedUiModel(), &SignatureRenderUIModel::changed);
        s.select(0);
        const auto content = s.shown();
        QCOMPARE(content->header.toUtf8(), TestHome::header(s.home.id(0)));
        QVERIFY(content->htmlContent.startsWith("<body"));
        s.select(0);                                                 // read and published again
        s.engine->selectionUiModel()->signature().set(std::nullopt); // cleared: the preview stays
        QCOMPARE(rendered.count(), 2);
        // A file gone says "ERROR" and keeps the preview; one that is not UTF-8 is published empty, silently.
        QFile::remove(s.home.file(1));
        QCOMPARE(TestHome::printed([&s] { s.select(1); }), QStringList{u"ERROR"_s});
        QCOMPARE(s.shown(), content);
        TestHome::write(s.home.file(2), "H\n\n<b>caf\xe9</b>");
        QCOMPARE(TestHome::printed([&s] { s.select(2); }), QStringList());
        QCOMPARE(s.shown(), AppleSignatureContent{});
        QCOMPARE(rendered.count(), 3);

        // Granted, but Mail's folders are gone: authorised, no monitor, empty list.
        QDir(s.home.path() + u"/Library"_s).removeRecursively();
        s.engine = grantedEngine();
        QVERIFY(s.authorized());
        QVERIFY(!s.engine->folderMonitor());
        QVERIFY(s.list().isEmpty());
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
        // Locked, in the list too; the selection keeps the record read before, unlocked.
        QVERIFY(TestHome::isLocked(file));
        QVERIFY(s.list().at(0).isFileLocked);
        QCOMPARE(s.listed.count(), 1);
        QVERIFY(s.engine->selectionUiModel()->signature().get() != s.list().at(0));
        QCOMPARE(QFile::permissions(file) & 0xf0ff, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QCOMPARE(s.shown(), SignatureFileFormat::split(QString::fromUtf8(TestHome::read(file))));
        // With the same header it takes a second insert; nothing to insert writes nothing, and says so.
        QCOMPARE(s.shown()->header, before->header);
        QVERIFY(s.insert(u"<p>second</p>"_s));
        QVERIFY(!s.message());
        QVERIFY(!s.insert(u" \n\t"_s));
        QCOMPARE(s.message(), u"The clipboard holds only white space, so nothing was inserted."_s);
        QCOMPARE(TestHome::read(file), s.composed(u"<p>second</p>"_s));
        QCOMPARE(s.files(), 4); // no temporary files left
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
        QVERIFY(QFile::remove(s.home.file(1)));
        QVERIFY(QDir().mkdir(s.home.file(1)));
        s.select(1);
        QVERIFY(QDir().rmdir(s.home.file(1)));
        QVERIFY(TestHome::write(s.home.file(1), second));
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
            QVERIFY(s.message()->contains(why));
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
        QCOMPARE(lines.size(), 1);
        QVERIFY(!lines[0].isEmpty());                                          // the write's error
        QCOMPARE(TestHome::state(s.home.file(0)), TestHome::State(old, true)); // locked again, for Mail
        QVERIFY(s.message()->startsWith(u"The signature could not be saved: "_s));
        QCOMPARE(kinds(s.home.id(0)), u"original"_s); // not recorded as inserted: it never was
        QCOMPARE(rendered.count(), 1);
        QCOMPARE(s.listed.count(), 0);
        QCOMPARE(s.files(), 4); // the preview read again
        s.select(1);            // a file that was not locked is not locked by a failed write either
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
        QCOMPARE(kept(), QList<QByteArray>({two, two, one, original}));
        QCOMPARE(kinds(id), u"unlocked inserted inserted original"_s);
        // Restoring writes those very bytes back, locked, and previews them; what Mail put back after the
        // unlock is kept first, even when it is not UTF-8, and comes back byte for byte.
        const QByteArray mails = TestHome::header(id) + "\n\n<p>caf\xe9</p>";
        const auto restore = [&](int i) {
            return s.engine->restoreKeptVersion(KeptVersions::list(id)[i].file);
        };
        QVERIFY(TestHome::write(file, mails));
        QVERIFY(restore(3));
        QCOMPARE(TestHome::read(file), original);
        QCOMPARE(kept(), QList<QByteArray>({original, mails, two, two, one, original}));
        QVERIFY(restore(1));
        QCOMPARE(TestHome::read(file), mails);
        QVERIFY(restore(0));
        QVERIFY(TestHome::isLocked(file));
        QCOMPARE(kinds(id), u"inserted inserted kept unlocked inserted inserted original"_s);
        QVERIFY(restore(1));
        QCOMPARE(s.shown(), SignatureFileFormat::split(QString::fromUtf8(original)));
        // The newest twenty are kept, and the original for good.
        for (int i = 10; i < 35; ++i)
            QVERIFY(s.insert(u"<p>%1</p>"_s.arg(i)));
        QCOMPARE(kept().size(), 21);
        QCOMPARE(kept().first(), s.composed(u"<p>34</p>"_s));
        QCOMPARE(kept().last(), original);
        // Each store counts its own: twenty-five versions of an iCloud copy leave the local ones as they
        // were.
        const QList<QByteArray> local = kept();
        QString error;
        for (int i = 0; i < 25; ++i)
            QVERIFY(KeptVersions::keep(id, SignatureStore::Kind::ICloud, QByteArray::number(i),
                                       KeptVersions::Kind::Kept, &error));
        QCOMPARE(KeptVersions::list(id, SignatureStore::Kind::ICloud).size(), 21);
        QCOMPARE(kept().mid(21), local);
        // Without a place to keep what is inserted (the file before is kept already), nothing is replaced.
        const QString versions = *KeptVersions::folderOf(id);
        QVERIFY(TestHome::lock(versions));
        QVERIFY(!s.insert(u"<p>unrecorded</p>"_s));
        QCOMPARE(s.message(), u"The new signature could not be kept as a version, so nothing was changed."_s);
        QCOMPARE(TestHome::read(file), s.composed(u"<p>34</p>"_s));
        // Without a place to keep the version (of what Mail wrote since), nothing is replaced or unlocked.
        const QByteArray before = TestHome::header(id) + "\n\n<p>Mail's</p>";
        QVERIFY(TestHome::lock(file, false));
        QVERIFY(TestHome::write(file, before));
        QVERIFY(TestHome::lock(file));
        QVERIFY(!s.insert(u"<p>lost?</p>"_s));
        s.engine->unlockSignature(id);
        QVERIFY(TestHome::lock(versions, false));
        QCOMPARE(TestHome::state(file), TestHome::State(before, true));
        QVERIFY(s.message());
        for (const QString &hostile : {u".."_s, u"."_s, u"../x"_s, u"a/b"_s})
            QVERIFY(!KeptVersions::folderOf(hostile));
    }
    void hostileIds()
    {
        EngineSample s;
        // Files an escaping id or a planted link would reach; a snapshot of all outside the signatures
        // folder.
        const QString victim = s.home.path() + u"/victim.mailsignature"_s;
        TestHome::write(victim, TestHome::header(u"victim"_s) + "\n\n<b>victim</b>");
        TestHome::write(s.home.mail() + u"/V10/MailData/x.mailsignature"_s, "H\n\n<b>x</b>");
        QVERIFY(TestHome::lock(victim));
        QVERIFY(QFile::link(victim, s.home.file(u"link"_s)));
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
        QCOMPARE(s.list().size(), ids.size());
        QVERIFY(!s.shown());
        QCOMPARE(s.files(), 5);
        QVERIFY(TestHome::snapshot(s.home.path(), s.home.signatures()) == before);
        QCOMPARE(lines, QStringList(ids.size(), u"ERROR"_s)); // every failed read said so, and nothing else
    }
    void oddFiles()
    {
        EngineSample s;
        // A FIFO in place of a signature file: nothing blocks, nothing is written.
        s.select(0);
        QVERIFY(QFile::remove(s.home.file(0)));
        QCOMPARE(QProcess::execute(u"mkfifo"_s, {s.home.file(0)}), 0);
        QVERIFY(!s.insert(u"<p>mine</p>"_s));
        QCOMPARE(TestHome::printed([&s] { s.select(0); }), QStringList{u"ERROR"_s});
        QCOMPARE(s.files(), 4);
        // Too large, missing, a FIFO or a folder: an empty list, silently, without hanging.
        QFile list(s.home.listFile());
        QVERIFY(list.open(QIODevice::Append));
        QVERIFY(list.write(QByteArray(65 << 20, ' ')) > 0);
        list.close();
        const auto emptyLoad = [&s] {
            s.engine->loadSignatures();
            return s.list().isEmpty() && QFile::remove(s.home.listFile());
        };
        QVERIFY(emptyLoad());
        QVERIFY(!emptyLoad());
        QCOMPARE(QProcess::execute(u"mkfifo"_s, {s.home.listFile()}), 0);
        QCOMPARE(TestHome::printed([&] {
                     QVERIFY(emptyLoad());
                     QVERIFY(QDir().mkdir(s.home.listFile()));
                     QVERIFY(!emptyLoad());
                 }),
                 QStringList());
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

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
