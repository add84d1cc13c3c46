#include "preview/UpdateScript.h"
#include "store/SignatureFileFormat.h"
#include "tests/common/MimeReader.h"
#include "tests/common/TestEnvironment.h"

#include <QTemporaryDir>
#include <QTest>

class TestSignatureFileFormat : public QObject
{
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void written_data();
    void written();
    void decodeUtf8();
};

void TestSignatureFileFormat::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("splits");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("html");

    QTest::newRow("header and html") << "H: 1\nH: 2\n\n<body>x</body>" << true << "H: 1\nH: 2"
                                     << "<body>x</body>";
    QTest::newRow("plain text body") << "H: 1\n\nplain text" << true << "H: 1"
                                     << "plain text";
    QTest::newRow("starts with an empty line") << "\n<b>x</b>" << true << ""
                                               << "<b>x</b>";
    QTest::newRow("three line feeds") << "H\n\n\n<b>" << true << "H"
                                      << "\n<b>";
    QTest::newRow("empty lines inside the body") << "H\n\n<p>a</p>\n\n<p>b</p>" << true << "H"
                                                 << "<p>a</p>\n\n<p>b</p>";
    QTest::newRow("crlf line ends") << "H: 1\r\nH: 2\r\n\r\n<b>x</b>\r\n"
                                    << true << "H: 1\r\nH: 2"
                                    << "<b>x</b>\r\n";
    QTest::newRow("crlf, then lf") << "H\r\n\n<b>" << true << "H"
                                   << "<b>";
    QTest::newRow("lone carriage returns") << "H\r\r<b>" << false << ""
                                           << "";
    QTest::newRow("no empty line") << "H\n<b>x</b>" << false << ""
                                   << "";
    QTest::newRow("ends with an empty line") << "H\n\n"
                                             << true << "H"
                                             << "";
    QTest::newRow("empty") << "" << false << ""
                           << "";
    QTest::newRow("non-ascii kept") << "H: \u00e9\n\n<b>\u20ac \U0001F600</b>" << true << "H: \u00e9"
                                    << "<b>\u20ac \U0001F600</b>";
}

void TestSignatureFileFormat::split()
{
    QFETCH(QString, text);
    QFETCH(bool, splits);
    QFETCH(QString, header);
    QFETCH(QString, html);
    const std::optional<AppleSignatureContent> content = SignatureFileFormat::split(text);
    QCOMPARE(content.has_value(), splits);
    if (content) {
        QCOMPARE(content->header, header);
        QCOMPARE(content->htmlContent, html);
    }
}

// Each row is a signature file as Mail or a user may have it; the header it
// must carry after an insert of ASCII text and after one of other text.
void TestSignatureFileFormat::written_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("asciiHeader");
    QTest::addColumn<QString>("unicodeHeader");
    const QString mail =
        QStringLiteral("Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html;\n"
                       "\tcharset=utf-8\nMessage-Id: <A1@x>\n"
                       "Mime-Version: 1.0 (Mac OS X Mail 16.0 \\(3826.400.131.1.6\\))");
    QTest::newRow("quoted-printable, utf-8 on a folded line") << mail + "\n\n<b>old</b>" << mail << mail;
    const QString asciiQp =
        QStringLiteral("Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html;\n"
                       "\tcharset=us-ascii\nMessage-Id: <A2@x>");
    QTest::newRow("quoted-printable, us-ascii")
        << asciiQp + "\n\nold" << asciiQp
        << "Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html; charset=utf-8\nMessage-Id: "
           "<A2@x>";
    const QString sevenBit = QStringLiteral(
        "Content-Type: text/html; charset=us-ascii\nContent-Transfer-Encoding: 7bit\nMime-Version: 1.0");
    QTest::newRow("7bit, us-ascii") << sevenBit + "\n\nold" << sevenBit
                                    << "Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: "
                                       "quoted-printable\nMime-Version: 1.0";
    const QString eightBit =
        QStringLiteral("Content-Type: text/html; charset=UTF-8\nContent-Transfer-Encoding: 8bit");
    QTest::newRow("8bit") << eightBit + "\n\nold" << eightBit << eightBit;
    const QString base64 =
        QStringLiteral("Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: base64");
    QTest::newRow("base64") << base64 + "\n\nb2xk\n" << base64 << base64;
    const QString noEncoding =
        QStringLiteral("Content-Type: text/html;\n\tcharset=utf-8\nMessage-Id: <A3@x>");
    QTest::newRow("no transfer-encoding line")
        << noEncoding + "\n\nold" << noEncoding
        << noEncoding + "\nContent-Transfer-Encoding: quoted-printable";
    const QString related = QStringLiteral("Content-Type: text/html; charset=utf-8\n"
                                           "Content-Transfer-Encoding: quoted-printable\nMessage-Id: <A4@x>\n"
                                           "Mime-Version: 1.0");
    QTest::newRow("multipart/related with an image")
        << "Content-Type: multipart/related;\n\ttype=\"text/html\";\n\tboundary=\"Apple-Mail=_B\"\n"
           "Content-Transfer-Encoding: 7bit\nMessage-Id: <A4@x>\nMime-Version: 1.0\n\n"
           "--Apple-Mail=_B\nContent-Type: text/html; charset=utf-8\n\n<img src=\"cid:i\">\n\n"
           "--Apple-Mail=_B\nContent-Type: image/png\nContent-Transfer-Encoding: base64\nContent-Id: <i>\n\n"
           "iVBORw0KGgo=\n--Apple-Mail=_B--\n"
        << related << related;
    const QString crlf =
        QStringLiteral("Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/html;\r\n"
                       "\tcharset=us-ascii\r\nMessage-Id: <A5@x>");
    QTest::newRow("crlf header")
        << crlf + "\r\n\r\nold\r\n"
        << crlf
        << "Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/html; charset=utf-8\r\n"
           "Message-Id: <A5@x>";
}

void TestSignatureFileFormat::written()
{
    QFETCH(QString, file);
    QFETCH(QString, asciiHeader);
    QFETCH(QString, unicodeHeader);
    const QStringList htmls = {
        QStringLiteral(
            "<a href=\"https://x.example/?id=12345&utm_source=abc\"><img width=100 src=a.png></a>"),
        QStringLiteral("<p>Gr\u00fc\u00dfe aus K\u00f6ln \u2014 \U0001F600</p>"),
        QStringLiteral("<p>%1</p>").arg(QString(200, u'x')),
        QStringLiteral("<p>a  </p>  \n<p>b\t</p>\t"),
        QStringLiteral("<div>a</div>\n\n<div>b</div>\n\n\n<p>c</p>"),
        QStringLiteral("<p>x</p>="),
        QStringLiteral("<p>a</p>\r\n<p>b</p>\r\n"),
    };
    const std::optional<AppleSignatureContent> old = SignatureFileFormat::split(file);
    QVERIFY(old);
    QTemporaryDir dir;
    QStringList paths;
    for (const QString &html : htmls) {
        const std::optional<QByteArray> bytes = SignatureFileFormat::compose(old->header, html);
        QVERIFY(bytes);
        paths.append(dir.filePath(QString::number(paths.size())));
        QVERIFY(TestEnvironment::writeFile(paths.last(), *bytes));
        // Read back whole, with only the fields that had to change rewritten,
        // and previewed as it was when it was inserted.
        const std::optional<AppleSignatureContent> back =
            SignatureFileFormat::split(*SignatureFileFormat::decodeUtf8(*bytes));
        QVERIFY(back);
        const bool ascii = html.toUtf8() == html.toLatin1();
        QCOMPARE(back->header, ascii ? asciiHeader : unicodeHeader);
        QCOMPARE(UpdateScript::build(SignatureFileFormat::previewBody(*back)),
                 UpdateScript::build(SignatureFileFormat::previewText(html)));
    }
    const QList<std::optional<QString>> decoded = MimeReader::decode(paths);
    QCOMPARE(decoded.size(), htmls.size());
    for (qsizetype i = 0; i < htmls.size(); ++i)
        QCOMPARE(decoded[i], std::optional(htmls[i]));
}

void TestSignatureFileFormat::decodeUtf8()
{
    QCOMPARE(SignatureFileFormat::decodeUtf8("caf\xc3\xa9"), std::optional(QStringLiteral("caf\u00e9")));
    QVERIFY(!SignatureFileFormat::decodeUtf8("caf\xe9"));
    QVERIFY(!SignatureFileFormat::decodeUtf8("\xc3"));         // truncated sequence
    QVERIFY(!SignatureFileFormat::decodeUtf8("\xed\xa0\x80")); // encoded surrogate
    QCOMPARE(SignatureFileFormat::decodeUtf8(QByteArray()), std::optional(QString()));
    // A byte-order mark stays, so the header is written back byte for byte.
    QCOMPARE(SignatureFileFormat::decodeUtf8("\xef\xbb\xbfH")->toUtf8(), QByteArray("\xef\xbb\xbfH"));
}

QTEST_GUILESS_MAIN(TestSignatureFileFormat)
#include "tst_signaturefileformat.moc"
