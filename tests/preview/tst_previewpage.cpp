#include "preview/PreviewPage.h"

#include <QTest>

class TestPreviewPage : public QObject
{
    Q_OBJECT
private slots:
    void exactText();
};

void TestPreviewPage::exactText()
{
    const QString page = PreviewPage::html();
    QCOMPARE(page.size(), 213);
    QVERIFY(page.startsWith(QLatin1String("<html><head><script>")));
    QVERIFY(page.endsWith(QLatin1String(
        "</script></head><body><div id=\"signature-container\"></div></body></html>")));

    const QString script = page.mid(20, 121);
    const QStringList lines = script.split(u'\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QLatin1String("    function update(html){"));
    QCOMPARE(lines[1], QLatin1String("        document.getElementById('signature-container').innerHTML = html")
                           + QString(17, u' '));
    QCOMPARE(lines[2], QLatin1String("    }"));
    for (const QChar c : page)
        QVERIFY(c.unicode() < 0x80);
}

QTEST_APPLESS_MAIN(TestPreviewPage)
#include "tst_previewpage.moc"
