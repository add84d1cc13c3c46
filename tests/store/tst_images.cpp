// Signatures with images: Mail's multipart files read as Mail reads them, an insert that keeps what the
// new HTML still shows, and images embedded as parts; every file written is read back by Python's e-mail
// package.
#include "store/ImageEmbedding.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureService.h"
#include "tests/common/TestHome.h"

#include <QDir>
#include <QJsonObject>

namespace {

const QByteArray red = TestHome::png("red"), blue = TestHome::png("blue");

QByteArray crlf(QByteArray bytes)
{
    return bytes.replace("\n", "\r\n");
}

// "cid=filename=type" of each part, as a reader found them.
QString partsOf(const QJsonObject &file)
{
    QStringList parts;
    for (const QJsonValue &part : file[u"parts"_s].toArray())
        parts.append(part[u"contentId"_s].toString() + u'=' + part[u"filename"_s].toString() + u'=' +
                     part[u"type"_s].toString());
    return parts.join(u' ');
}

QString partsOf(const QList<SignatureImage> &images)
{
    QStringList parts;
    for (const SignatureImage &image : images)
        parts.append(image.contentId + u'=' + image.filename + u'=' + QString::fromLatin1(image.type));
    return parts.join(u' ');
}

// The signature of the sample's first row, its file replaced by bytes.
SignatureService::Entry signature(const TestHome &home, const QByteArray &bytes)
{
    TestHome::write(home.file(0), bytes);
    SignatureService::Failure failure;
    return SignatureService::load().find(home.id(0), &failure).value();
}

} // namespace

class TestImages : public QObject
{
    Q_OBJECT
private slots:
    void readMailShapes_data()
    {
        columns<QByteArray, QString, QString>(); // the file, its HTML, its parts
        const QByteArray img = "<p>Jane</p><img src=3D\"cid:LOGO-1\" width=3D\"10\">";
        const QString html = u"<p>Jane</p><img src=\"cid:LOGO-1\" width=\"10\">"_s;
        const QString logo = u"LOGO-1=logo.png=image/png"_s;
        row("img, as Mail writes it", TestHome::related(img, {{u"LOGO-1"_s, u"logo.png"_s, red}}), html,
            logo);
        row("object, as older Mail wrote it",
            TestHome::related("<object type=3D\"application/x-apple-msg-attachment\" data=3D\"cid:LOGO-1\">"
                              "</object>",
                              {{u"LOGO-1"_s, u"logo.png"_s, red}}),
            u"<object type=\"application/x-apple-msg-attachment\" data=\"cid:LOGO-1\"></object>"_s, logo);
        row("lines ending in CR LF", crlf(TestHome::related(img, {{u"LOGO-1"_s, u"logo.png"_s, red}})), html,
            logo);
        row("two images, non-ASCII HTML",
            TestHome::related("<p>Jos=C3=A9</p><img src=3D\"cid:A\"><img src=3D\"cid:B\">",
                              {{u"A"_s, u"a.png"_s, red}, {u"B"_s, u"b.png"_s, blue}}),
            u"<p>Jos\u00e9</p><img src=\"cid:A\"><img src=\"cid:B\">"_s,
            u"A=a.png=image/png B=b.png=image/png"_s);
        const QByteArray image = "Content-Type: image/png; name=\"logo.png\"\nContent-Transfer-Encoding: "
                                 "base64\nContent-Id: <LOGO-1>\n\n" +
                                 red.toBase64() + '\n';
        row("start names the HTML part, which comes second",
            "Content-Type: multipart/related; type=\"text/html\"; start=\"<H@x>\"; boundary=\"b\"\n\n"
            "A preamble no reader shows.\n--b\n" +
                image + "--b\nContent-Type: text/html; charset=utf-8\nContent-Id: <H@x>\n\n" + html.toUtf8() +
                "\n--b--\n",
            html, logo);
        row("related inside alternative",
            "Content-Type: multipart/alternative; boundary=\"o\"\n\n--o\nContent-Type: "
            "text/plain\n\nJane\n--o\n"
            "Content-Type: multipart/related; boundary=\"i\"\n\n--i\nContent-Type: text/html; "
            "charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n" +
                img + "\n--i\n" + image + "--i--\n\n--o--\n",
            html, u"==text/plain "_s + logo);
    }
    void readMailShapes()
    {
        const auto [bytes, html, parts] = fetch<QByteArray, QString, QString>();
        QTemporaryDir dir;
        const QString file = dir.filePath(u"s.mailsignature"_s);
        QVERIFY(TestHome::write(file, bytes));
        const QJsonObject python = TestHome::mimeParts({file}).at(0).toObject();
        QCOMPARE(tuple(python[u"html"_s].toString(), partsOf(python)), tuple(html, parts));
        const auto body = SignatureFileFormat::body(*SignatureFileFormat::parse(bytes));
        QVERIFY(body);
        QCOMPARE(tuple(body->html, partsOf(body->parts)), tuple(html, parts));
        for (qsizetype i = 0; i < body->parts.size(); ++i)
            QCOMPARE(body->parts.at(i).data.toBase64(),
                     python[u"parts"_s].toArray().at(i)[u"data"_s].toString().toLatin1());
    }

    void insertKeepsWhatItShows_data()
    {
        columns<QString, QString, QString, QString>(); // new HTML, the file's type, its parts, the notice
        const QString both = u"LOGO=logo.png=image/png BANNER=banner.png=image/png"_s;
        row("both still shown", u"<p>New</p><img src=\"cid:LOGO\"><td background=\"cid:BANNER\">"_s,
            u"multipart/related"_s, both, QString());
        row("in CSS and srcset", u"<img srcset=\"cid:LOGO 2x\"><p style=\"background:url('cid:BANNER')\">"_s,
            u"multipart/related"_s, both, QString());
        row("the banner no longer shown", u"<p>Jos\u00e9</p><img src=\"cid:LOGO\" alt=\"cid:BANNER\">"_s,
            u"multipart/related"_s, u"LOGO=logo.png=image/png"_s,
            u"The image banner.png was left out: the new HTML does not show it. It is kept in the version "
            "before this insert."_s);
        row("neither, a cid: of no part", u"<p>Plain</p><img src=\"cid:OTHER\">"_s, u"text/html"_s, QString(),
            u"The images logo.png and banner.png were left out: the new HTML does not show them. They are "
            "kept in the version before this insert."_s);
        // Under a boundary without the "=" that quoted-printable escapes.
        row("a line that reads as the boundary", u"<img src=\"cid:LOGO\">\n--B1--\n"_s,
            u"multipart/related"_s, u"LOGO=logo.png=image/png"_s,
            u"The image banner.png was left out: the new HTML does not show it. It is kept in the version "
            "before this insert."_s);
    }
    void insertKeepsWhatItShows()
    {
        const auto [html, type, parts, notice] = fetch<QString, QString, QString, QString>();
        TestHome home;
        const QByteArray logoPart = "Content-Transfer-Encoding: base64\nContent-Disposition: inline;\n"
                                    "\tfilename=logo.png\nContent-Type: image/png;\n\tx-unix-mode=0644;\n"
                                    "\tname=\"logo.png\"\nContent-Id: <LOGO>\n\n" +
                                    red.toBase64();
        QByteArray old =
            TestHome::related("<img src=3D\"cid:LOGO\"><img src=3D\"cid:BANNER\">",
                              {{u"LOGO"_s, u"logo.png"_s, red}, {u"BANNER"_s, u"banner.png"_s, blue}});
        if (html.contains(u"--B1"_s))
            old.replace("Apple-Mail=_B1", "B1");
        QVERIFY(old.contains(logoPart));
        const SignatureService::Outcome outcome = SignatureService::insert(signature(home, old), html);
        QCOMPARE(
            tuple(outcome.written, outcome.failure.value_or(u"<none>"_s), outcome.notice.value_or(QString())),
            tuple(true, u"<none>"_s, notice));
        const QByteArray now = TestHome::read(home.file(0));
        const QJsonObject python = TestHome::mimeParts({home.file(0)}).at(0).toObject();
        QCOMPARE(tuple(python[u"defects"_s].toInt(), python[u"type"_s].toString(),
                       python[u"html"_s].toString(), partsOf(python)),
                 tuple(0, type, html, parts));
        // Mail's own lines stay: the outer header, and each part kept, byte for byte.
        QVERIFY(now.contains("Message-Id: <M1@x>\nMime-Version: 1.0 (Mac OS X Mail 16.0 \\(3826\\))\n"));
        if (type == u"multipart/related"_s) {
            QVERIFY(now.startsWith(old.first(old.indexOf("Message-Id"))));
            QCOMPARE(now.contains(logoPart), parts.contains(u"LOGO"_s));
        }
        // The version before the insert holds every part.
        QCOMPARE(KeptVersions::read(KeptVersions::list(home.id(0)).constLast().file), old);
        // The same HTML again writes nothing.
        QVERIFY(SignatureService::insert(signature(home, now), html).unchanged);
    }

    void embed_data()
    {
        // The HTML file's text, the files beside it (path=colour), the HTML as written, its parts.
        columns<QString, QStringList, QString, QString>();
        const QString redData = u"data:image/png;base64,"_s + QString::fromLatin1(red.toBase64());
        row("a data: image", u"<img src=\"%1\" width=\"1\">"_s.arg(redData), QStringList(),
            u"<img src=\"cid:RED\" width=\"1\">"_s, u"RED=image1.png=image/png"_s);
        row("one image twice, in CSS too",
            u"<img src=\"%1\"><div style='background: url(\"%1\")'></div>"_s.arg(redData), QStringList(),
            u"<img src=\"cid:RED\"><div style='background: url(\"cid:RED\")'></div>"_s,
            u"RED=image1.png=image/png"_s);
        row("a file beside the HTML, an alt that names it",
            u"<img alt=\"images/logo.png\" src=\"images/logo.png\"><img src='https://x.example/a.png'>"_s,
            QStringList{u"images/logo.png=blue"_s},
            u"<img alt=\"images/logo.png\" src=\"cid:BLUE\"><img src='https://x.example/a.png'>"_s,
            u"BLUE=logo.png=image/png"_s);
        row("a file and a data: image in a style element",
            u"<style>td{background:url(%1)}</style><td background=pic%20one.png>"_s.arg(redData),
            QStringList{u"pic one.png=blue"_s},
            u"<style>td{background:url(cid:RED)}</style><td background=cid:BLUE>"_s,
            u"RED=image1.png=image/png BLUE=pic one.png=image/png"_s);
    }
    void embed()
    {
        const auto [html, files, written, parts] = fetch<QString, QStringList, QString, QString>();
        TestHome home;
        QTemporaryDir folder;
        for (const QString &file : files) {
            QDir(folder.path()).mkpath(QFileInfo(folder.filePath(file.section(u'=', 0, 0))).path());
            QVERIFY(TestHome::write(folder.filePath(file.section(u'=', 0, 0)),
                                    TestHome::png(file.section(u'=', 1).toLatin1().constData())));
        }
        QString failure;
        const auto embedded = ImageEmbedding::embed(html, folder.path(), &failure);
        QVERIFY2(embedded, qPrintable(failure));
        // Each image's id comes from its bytes: the same again, whatever the run.
        QString expected = written, expectedParts = parts;
        for (const SignatureImage &image : embedded->images) {
            const QString letter = image.data == red ? u"RED"_s : u"BLUE"_s;
            expected.replace(u"cid:"_s + letter, u"cid:"_s + image.contentId);
            expectedParts.replace(letter + u'=', image.contentId + u'=');
            QCOMPARE(image.contentId, image.contentId.toUpper());
        }
        QCOMPARE(tuple(embedded->html, ImageEmbedding::embed(html, folder.path(), &failure)->html),
                 tuple(expected, expected));
        // Its HTML already there without the images: they still go in.
        QVERIFY(
            SignatureService::insert(signature(home, TestHome::read(home.file(0))), embedded->html).written);
        const SignatureService::Entry entry = signature(home, TestHome::read(home.file(0)));
        QVERIFY(SignatureService::insert(entry, embedded->html, true, embedded->images).written);
        const QJsonObject python = TestHome::mimeParts({home.file(0)}).at(0).toObject();
        QCOMPARE(tuple(python[u"type"_s].toString(), python[u"html"_s].toString(), partsOf(python)),
                 tuple(u"multipart/related"_s, expected, expectedParts));
        // Each part holds exactly the bytes of its image.
        for (const QJsonValue &part : python[u"parts"_s].toArray()) {
            const auto image = std::find_if(embedded->images.cbegin(), embedded->images.cend(),
                                            [&](const SignatureImage &image) {
                                                return image.contentId == part[u"contentId"_s].toString();
                                            });
            QCOMPARE(part[u"data"_s].toString().toLatin1(), image->data.toBase64());
        }
        // The same insert again writes nothing.
        QVERIFY(SignatureService::insert(signature(home, TestHome::read(home.file(0))), embedded->html, true,
                                         embedded->images)
                    .unchanged);
    }
};

QTEST_GUILESS_MAIN(TestImages)
#include "tst_images.moc"
