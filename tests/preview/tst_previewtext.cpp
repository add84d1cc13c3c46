#include "preview/PreviewPage.h"
#include "preview/QuotedPrintable.h"
#include "preview/UpdateScript.h"

#include <QTest>

class TestPreviewText : public QObject
{
    Q_OBJECT
private slots:
    void page();
    void decoded_data();
    void decoded();
    void script_data();
    void script();
};

void TestPreviewText::page()
{
    const QString page = PreviewPage::html();
    QCOMPARE(page.size(), 213);
    QCOMPARE(page, QLatin1String("<html><head><script>    function update(html){\n"
                                 "        document.getElementById('signature-container').innerHTML = html"
                                 "                 \n    }</script></head><body>"
                                 "<div id=\"signature-container\"></div></body></html>"));
}

static const QString same = QStringLiteral("<unchanged>");

void TestPreviewText::decoded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("=C3=A9") << QStringLiteral("caf=C3=A9!") << QStringLiteral("café!");
    QTest::newRow("lower case, =3D") << QStringLiteral("caf=c3=a9=3D") << QStringLiteral("café=");
    QTest::newRow("=+A") << QStringLiteral("a=+Ab") << QStringLiteral("a\nb");
    QTest::newRow("=-0") << QStringLiteral("a=-0b") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("width=100") << QStringLiteral("<td width=100>caf=C3=A9</td>")
                               << QStringLiteral("<td width") + QChar(0x10) + QStringLiteral("0>café</td>");
    QTest::newRow("U+FEFF starting a run") << QStringLiteral("a=EF=BB=BFb") << QStringLiteral("a\uFEFFb");
    QTest::newRow("wide characters before") << QStringLiteral("\U0001F600 =C3=A9") << QStringLiteral("\U0001F600 é");
    // All or nothing: each of these leaves the whole text as given.
    QTest::newRow("malformed: quoted attribute") << QStringLiteral("<p class=\"x\">caf=C3=A9</p>") << same;
    QTest::newRow("lone =E9") << QStringLiteral("caf=E9") << same;
    QTest::newRow("run split by a space") << QStringLiteral("=C3 =A9") << same;
    QTest::newRow("valid run then invalid run") << QStringLiteral("=C3=A9 and =FF") << same;
    QTest::newRow("overlong") << QStringLiteral("=C0=AF") << same;
    QTest::newRow("surrogate") << QStringLiteral("=ED=A0=80") << same;
    QTest::newRow("trailing =") << QStringLiteral("caf=C3=A9=") << same;
    QTest::newRow("=-1") << QStringLiteral("a=-1b") << same;
    QTest::newRow("=+ non-digit") << QStringLiteral("a=+Gb") << same;
    QTest::newRow("wide character after =") << QStringLiteral("=\U0001F600") << same;
    QTest::newRow("combining mark on digit") << QStringLiteral("a=+4\u0301") << same;
    QTest::newRow("CR LF is one character") << QStringLiteral("a=\r\nb") << same;
}

void TestPreviewText::decoded()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(QuotedPrintable::decodedFromQuotedPrintable(text), expected == same ? text : expected);
}

void TestPreviewText::script_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("argument"); // between update(" and ")
    QTest::newRow("apostrophe") << QStringLiteral("'") << QStringLiteral("&#39;");
    QTest::newRow("quotes") << QStringLiteral("<p class=\"x\">") << QStringLiteral("<p class=\\\"x\\\">");
    QTest::newRow("backslash") << QStringLiteral("a\\nb") << QStringLiteral("a&#092;nb");
    QTest::newRow("backslash before quote") << QStringLiteral("\\\"") << QStringLiteral("&#092;\\\"");
    QTest::newRow("soft break =\\r\\n") << QStringLiteral("ab=\r\ncd") << QStringLiteral("abcd");
    QTest::newRow("soft break =\\n") << QStringLiteral("ab=\ncd") << QStringLiteral("abcd");
    QTest::newRow("soft break then escape") << QStringLiteral("t=\r\n=C3=A9") << QStringLiteral("t\u00e9");
    QTest::newRow("=C3=A9") << QStringLiteral("caf=C3=A9") << QStringLiteral("caf\u00e9");
    QTest::newRow("decoded before escaping") << QStringLiteral("=27=5C=22") << QStringLiteral("&#39;&#092;\\\"");
    QTest::newRow("malformed left as is") << QStringLiteral("<a href=\"x\">=C3=A9</a>")
                                          << QStringLiteral("<a href=\\\"x\\\">=C3=A9</a>");
    QTest::newRow("lone =E9") << QStringLiteral("caf=E9") << QStringLiteral("caf=E9");
    QTest::newRow("width=100") << QStringLiteral("<td width=100>=C3=A9</td>")
                               << QStringLiteral("<td width") + QChar(0x10) + QStringLiteral("0>\u00e9</td>");
    QTest::newRow("=+A becomes LF, removed") << QStringLiteral("a=+Ab") << QStringLiteral("ab");
    QTest::newRow("=-0") << QStringLiteral("a=-0b") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("=-1 left as is") << QStringLiteral("a=-1b") << QStringLiteral("a=-1b");
    QTest::newRow("CR removed with LF") << QStringLiteral("<p>a</p>\r\n<p>b</p>\r\n")
                                        << QStringLiteral("<p>a</p><p>b</p>");
    QTest::newRow("lone CR") << QStringLiteral("a\rb") << QStringLiteral("ab");
}

void TestPreviewText::script()
{
    QFETCH(QString, html);
    QFETCH(QString, argument);
    QCOMPARE(UpdateScript::build(html), QStringLiteral("update(\"") + argument + QStringLiteral("\")"));
}

QTEST_APPLESS_MAIN(TestPreviewText)
#include "tst_previewtext.moc"
