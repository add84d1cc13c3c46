#include "preview/UpdateScript.h"

#include <QTest>

class TestUpdateScript : public QObject
{
    Q_OBJECT
private slots:
    void build_data();
    void build();
};

void TestUpdateScript::build_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("argument"); // between update(" and ")

    QTest::newRow("apostrophe") << QStringLiteral("'") << QStringLiteral("&#39;");
    QTest::newRow("double quotes") << QStringLiteral("<p class=\"x\">a</p>")
                                   << QStringLiteral("<p class=\\\"x\\\">a</p>");
    QTest::newRow("backslash") << QStringLiteral("a\\nb") << QStringLiteral("a&#092;nb");
    QTest::newRow("backslash before quote") << QStringLiteral("\\\"") << QStringLiteral("&#092;\\\"");
    QTest::newRow("soft break CR LF") << QStringLiteral("ab=\r\ncd") << QStringLiteral("abcd");
    QTest::newRow("soft break LF") << QStringLiteral("ab=\ncd") << QStringLiteral("abcd");
    QTest::newRow("soft break then escape") << QStringLiteral("t=\r\n=C3=A9") << QStringLiteral("t\u00e9");
    QTest::newRow("decoded character") << QStringLiteral("caf=C3=A9") << QStringLiteral("caf\u00e9");
    QTest::newRow("decoded equals sign") << QStringLiteral("a=3Db") << QStringLiteral("a=b");
    QTest::newRow("decoded apostrophe") << QStringLiteral("=27") << QStringLiteral("&#39;");
    QTest::newRow("decoded backslash") << QStringLiteral("=5C") << QStringLiteral("&#092;");
    QTest::newRow("decoded quote") << QStringLiteral("=22") << QStringLiteral("\\\"");
    QTest::newRow("malformed left as is") << QStringLiteral("<a href=\"x\">=C3=A9</a>")
                                          << QStringLiteral("<a href=\\\"x\\\">=C3=A9</a>");
    QTest::newRow("width=100") << QStringLiteral("<td width=100>=C3=A9</td>")
                               << QStringLiteral("<td width") + QChar(0x10) + QStringLiteral("0>\u00e9</td>");
    QTest::newRow("trailing equals sign") << QStringLiteral("x=") << QStringLiteral("x=");
    QTest::newRow("=+A becomes LF, removed") << QStringLiteral("a=+Ab") << QStringLiteral("ab");
    QTest::newRow("=-0") << QStringLiteral("a=-0b") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("=-1 left as is") << QStringLiteral("a=-1b") << QStringLiteral("a=-1b");
    QTest::newRow("lines joined") << QStringLiteral("<p>a</p>\n<p>b</p>") << QStringLiteral("<p>a</p><p>b</p>");
    QTest::newRow("Windows line ends") << QStringLiteral("<p>a</p>\r\n<p>b</p>\r\n")
                                       << QStringLiteral("<p>a</p><p>b</p>");
    QTest::newRow("lone CR") << QStringLiteral("a\rb") << QStringLiteral("ab");
    QTest::newRow("tab and non-ASCII pass") << QStringLiteral("a\tb \u00fc \U0001F600")
                                            << QStringLiteral("a\tb \u00fc \U0001F600");
}

void TestUpdateScript::build()
{
    QFETCH(QString, html);
    QFETCH(QString, argument);
    QCOMPARE(UpdateScript::build(html), QStringLiteral("update(\"") + argument + QStringLiteral("\")"));
}

QTEST_APPLESS_MAIN(TestUpdateScript)
#include "tst_updatescript.moc"
