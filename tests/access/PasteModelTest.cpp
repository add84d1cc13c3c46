#include "access/PasteModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtTest>

using namespace Qt::StringLiterals;

using Read = std::optional<QString>;

class PasteModelTest : public QObject
{
    Q_OBJECT
private slots:
    void readClipboardHTML_data()
    {
        // A null payload is a format not offered; rich text is offered every time.
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<Read>("read");
        QTest::newRow("html wins, though listed last") << "Ada"_ba << "<b>Ada</b>"_ba << Read(u"<b>Ada</b>"_s);
        QTest::newRow("byte order mark kept") << QByteArray() << "\xef\xbb\xbf\xe2\x80\x94"_ba << Read(u"\ufeff\u2014"_s);
        QTest::newRow("zero bytes of html") << "Ada"_ba << ""_ba << Read(QString());
        QTest::newRow("invalid UTF-8, plain text ignored") << "Ada"_ba << "<b>\xff\xfe</b>"_ba << Read();
        QTest::newRow("html cut inside a character") << QByteArray() << "<b>\xe2\x80"_ba << Read();
        QTest::newRow("plain text only, unchanged") << " Ada\r\nB \n"_ba << QByteArray() << Read(u" Ada\r\nB \n"_s);
        QTest::newRow("nothing usable") << QByteArray() << QByteArray() << Read();
    }
    void readClipboardHTML()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, html);
        QFETCH(Read, read);
        auto *offer = new QMimeData;
        offer->setData(u"text/rtf"_s, "{\\rtf1 Ada}");
        if (!plain.isNull())
            offer->setData(u"text/plain"_s, plain);
        if (!html.isNull())
            offer->setData(u"text/html"_s, html);
        QGuiApplication::clipboard()->setMimeData(offer);
        QCOMPARE(PasteModel().readClipboardHTML(), read);
    }
};

QTEST_MAIN(PasteModelTest)
#include "PasteModelTest.moc"
