#include "store/SignatureRenderUIModel.h"
#include "ui/PreviewUpdateWatch.h"

#include <QTest>

// Which publishes of the previewed content reach the preview.
class tst_PreviewUpdateWatch : public QObject
{
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
    void startingValueIsNotPushed();
    void endsWithTheWatch();
};

using Content = std::optional<AppleSignatureContent>;
using Contents = QList<Content>;

void tst_PreviewUpdateWatch::sequences_data()
{
    QTest::addColumn<Contents>("published");
    QTest::addColumn<QStringList>("pushed");

    const AppleSignatureContent a{QStringLiteral("H"), QStringLiteral("<b>a</b>")};
    const AppleSignatureContent b{QStringLiteral("H"), QStringLiteral("<i>b</i>")};
    const AppleSignatureContent aOtherHeader{QStringLiteral("H2"), QStringLiteral("<b>a</b>")};

    QTest::newRow("first content") << Contents{a} << QStringList{a.htmlContent};
    QTest::newRow("same content again") << Contents{a, a} << QStringList{a.htmlContent};
    QTest::newRow("another content") << Contents{a, b} << QStringList{a.htmlContent, b.htmlContent};
    QTest::newRow("only the header changed")
        << Contents{a, aOtherHeader} << QStringList{a.htmlContent, aOtherHeader.htmlContent};
    QTest::newRow("to none pushes nothing") << Contents{a, std::nullopt} << QStringList{a.htmlContent};
    QTest::newRow("back from none") << Contents{a, std::nullopt, a} << QStringList{a.htmlContent, a.htmlContent};
    QTest::newRow("none again") << Contents{std::nullopt, std::nullopt} << QStringList{};
    QTest::newRow("empty content is content")
        << Contents{AppleSignatureContent{}} << QStringList{QString()};
}

void tst_PreviewUpdateWatch::sequences()
{
    QFETCH(Contents, published);
    QFETCH(QStringList, pushed);

    SignatureRenderUIModel rendered;
    QStringList received;
    PreviewUpdateWatch watch(rendered, [&received](const QString &html) { received.append(html); });
    for (const Content &content : published)
        rendered.signature().set(content);
    QCOMPARE(received, pushed);
}

void tst_PreviewUpdateWatch::startingValueIsNotPushed()
{
    SignatureRenderUIModel rendered;
    const AppleSignatureContent a{QStringLiteral("H"), QStringLiteral("<b>a</b>")};
    rendered.signature().set(a);

    QStringList received;
    PreviewUpdateWatch watch(rendered, [&received](const QString &html) { received.append(html); });
    QVERIFY(received.isEmpty());
    rendered.signature().set(a);
    QVERIFY(received.isEmpty());
    rendered.signature().set(AppleSignatureContent{QStringLiteral("H"), QStringLiteral("x")});
    QCOMPARE(received, QStringList{QStringLiteral("x")});
}

void tst_PreviewUpdateWatch::endsWithTheWatch()
{
    SignatureRenderUIModel rendered;
    QStringList received;
    {
        PreviewUpdateWatch watch(rendered, [&received](const QString &html) { received.append(html); });
    }
    rendered.signature().set(AppleSignatureContent{QStringLiteral("H"), QStringLiteral("x")});
    QVERIFY(received.isEmpty());
}

QTEST_APPLESS_MAIN(tst_PreviewUpdateWatch)
#include "tst_PreviewUpdateWatch.moc"
