// Signatures with images in the window: a logo part shows in the preview, an insert says which parts
// it left out, Embed Images and a file's own images become parts; each case on a fresh home and window.
#include "tests/app/WindowDriver.h"
#include "ui/render/SignatureNotesPopover.h"
#include "ui/render/SignatureRenderNotes.h"

#include <QJsonObject>

class TestImagesWindow : public QObject, public WindowDriver
{
    Q_OBJECT
private slots:
    void init()
    {
        // A red logo of 200 x 60 at the top left of the first signature, as Mail names its image part.
        m_home = std::make_unique<TestHome>();
        QVERIFY(TestHome::write(
            m_home->file(0),
            TestHome::related(
                "<body style=3D\"margin:0\"><img src=3D\"cid:LOGO\" width=3D\"200\" height=3D\"60\" "
                "style=3D\"display:block\"><p>Jane</p></body>",
                {{u"LOGO"_s, u"logo.png"_s, TestHome::png("red")}})));
        open();
    }
    void cleanup() { close(); }
    void logoPartShowsAndAnInsertTellsWhatItLeftOut()
    {
        click(rowOf(0));
        QTRY_COMPARE_WITH_TIMEOUT(pixel(100, 30), qRgb(255, 0, 0), 15000);
        QVERIFY(content()->previewPane()->notes()->isHidden()); // a cid: with its part is no note
        insert(u"<p>No logo</p>"_s);
        QCOMPARE(TestHome::mimeDecoded({m_home->file(0)}), QStringList{u"<p>No logo</p>"_s});
        QCOMPARE(message()->text(),
                 u"The image logo.png was left out: the new HTML does not show it. It is kept "
                 "in the version before this insert."_s);
        QTRY_COMPARE_WITH_TIMEOUT(preview(), u"<p>No logo</p>"_s, 15000);
    }
    void embedImagesMakesParts()
    {
        // A data: image, inserted as the clipboard gives it, then embedded from the note's button.
        click(rowOf(1));
        insert(
            u"<body style=\"margin:0\"><img width=\"200\" height=\"60\" style=\"display:block\" "
            "src=\"data:image/png;base64,%1\">"_s.arg(QString::fromLatin1(TestHome::png("red").toBase64())));
        SignatureRenderNotes *line = content()->previewPane()->notes();
        QTRY_VERIFY(line->isVisible());
        QTest::mouseClick(line, Qt::LeftButton);
        QTRY_VERIFY(line->popover() && line->popover()->isVisible());
        QPushButton *embed = line->popover()->embedButton();
        QVERIFY(embed->isVisible());
        QTest::mouseClick(embed, Qt::LeftButton);
        const QJsonObject written = TestHome::mimeParts({m_home->file(1)}).at(0).toObject();
        const QJsonValue part = written[u"parts"_s].toArray().at(0);
        QCOMPARE(tuple(written[u"type"_s].toString(), part[u"data"_s].toString().toLatin1()),
                 tuple(u"multipart/related"_s, TestHome::png("red").toBase64()));
        QVERIFY(
            written[u"html"_s].toString().contains(u"src=\"cid:"_s + part[u"contentId"_s].toString() + u'"'));
        QVERIFY(TestHome::isLocked(m_home->file(1)));
        QTRY_VERIFY(line->isHidden()); // nothing embedded in the HTML is left to note
        QTRY_COMPARE_WITH_TIMEOUT(pixel(100, 30), qRgb(255, 0, 0), 15000);
    }
    void droppedFileBringsItsImages()
    {
        click(rowOf(1));
        const QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"img"_s));
        QVERIFY(TestHome::write(dir.filePath(u"img/logo.png"_s), TestHome::png("red")));
        QVERIFY(
            TestHome::write(dir.filePath(u"sig.html"_s),
                            "<body style=\"margin:0\"><img src=\"img/logo.png\" width=\"200\" height=\"60\" "
                            "style=\"display:block\">"));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(dir.filePath(u"sig.html"_s))});
        QWidget *page = content()->previewPane()->webView();
        QVERIFY(drop(page, page->rect().center(), mime));
        const QJsonArray parts = TestHome::mimeParts({m_home->file(1)}).at(0)[u"parts"_s].toArray();
        QCOMPARE(tuple(parts.size(), parts.at(0)[u"filename"_s].toString()), tuple(1, u"logo.png"_s));
        QTRY_COMPARE_WITH_TIMEOUT(pixel(100, 30), qRgb(255, 0, 0), 15000);
    }
};

WINDOW_TEST_MAIN(TestImagesWindow)
#include "tst_images_window.moc"
