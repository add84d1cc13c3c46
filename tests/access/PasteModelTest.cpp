#include "access/PasteModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QtTest>

class PasteModelTest : public QObject
{
    Q_OBJECT
private slots:
    void readClipboardHTML_data();
    void readClipboardHTML();
    void clearedClipboardHasNothing();
};

void PasteModelTest::readClipboardHTML_data()
{
    // The clipboard's offer: formats in order, with their bytes.
    QTest::addColumn<QStringList>("formats");
    QTest::addColumn<QList<QByteArray>>("payloads");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("text");

    const QString html = QStringLiteral("text/html");
    const QString plain = QStringLiteral("text/plain");
    QTest::newRow("html and plain text") << QStringList{html, plain} << QList<QByteArray>{"<b>Ada</b>", "Ada"} << true
                                         << QStringLiteral("<b>Ada</b>");
    QTest::newRow("plain text listed first") << QStringList{plain, html} << QList<QByteArray>{"Ada", "<i>Ada</i>"}
                                             << true << QStringLiteral("<i>Ada</i>");
    QTest::newRow("plain text only, unchanged") << QStringList{plain} << QList<QByteArray>{" Ada\r\nLovelace \n"}
                                                << true << QStringLiteral(" Ada\r\nLovelace \n");
    QTest::newRow("non-ASCII html") << QStringList{html} << QList<QByteArray>{"Ada \xe2\x80\x94 at home"} << true
                                    << QStringLiteral("Ada \u2014 at home");
    QTest::newRow("byte order mark kept") << QStringList{html} << QList<QByteArray>{"\xef\xbb\xbf<p>x</p>"} << true
                                          << QStringLiteral("\ufeff<p>x</p>");
    QTest::newRow("empty html is empty text") << QStringList{html, plain} << QList<QByteArray>{"", "fallback"}
                                              << true << QString();
    QTest::newRow("invalid UTF-8 html, plain text ignored")
        << QStringList{html, plain} << QList<QByteArray>{"<b>\xff\xfe</b>", "fallback"} << false << QString();
    QTest::newRow("html cut inside a character") << QStringList{html} << QList<QByteArray>{"<b>\xe2\x80"} << false
                                                 << QString();
    QTest::newRow("rich text only") << QStringList{QStringLiteral("text/rtf")}
                                    << QList<QByteArray>{"{\\rtf1 Ada}"} << false << QString();
    QTest::newRow("nothing offered") << QStringList{} << QList<QByteArray>{} << false << QString();
}

void PasteModelTest::readClipboardHTML()
{
    QFETCH(QStringList, formats);
    QFETCH(QList<QByteArray>, payloads);
    QFETCH(bool, present);
    QFETCH(QString, text);

    auto *offer = new QMimeData;
    for (qsizetype i = 0; i < formats.size(); ++i)
        offer->setData(formats[i], payloads[i]);
    QGuiApplication::clipboard()->setMimeData(offer);

    const std::optional<QString> read = PasteModel().readClipboardHTML();
    QCOMPARE(read.has_value(), present);
    if (present)
        QCOMPARE(*read, text);
}

void PasteModelTest::clearedClipboardHasNothing()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("Ada"));
    QCOMPARE(PasteModel().readClipboardHTML(), std::optional<QString>(QStringLiteral("Ada")));
    QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    QCOMPARE(PasteModel().readClipboardHTML(), std::nullopt);
    QGuiApplication::clipboard()->clear();
    QCOMPARE(PasteModel().readClipboardHTML(), std::nullopt);
}

QTEST_MAIN(PasteModelTest)
#include "PasteModelTest.moc"
