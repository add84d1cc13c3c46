// Signatures with images in the window: a logo part shows in the preview, an insert says which parts
// it left out, Embed Images and a file's own images become parts; each case on a fresh home and window.
#include "access/FolderAccess.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/common/TestHome.h"
#include "tests/preview/PageProbe.h"
#include "ui/list/SignatureItemModel.h"
#include "ui/list/SignatureListView.h"
#include "ui/render/SignatureNotesPopover.h"
#include "ui/render/SignatureRender.h"
#include "ui/render/SignatureRenderNotes.h"
#include "ui/render/SignatureRenderTopbar.h"
#include "ui/render/SignatureRenderTopbarInsertButton.h"
#include "ui/render/SignatureRenderTopbarMessageMailRunning.h"
#include "ui/render/SignatureRenderWebView.h"

#include <QClipboard>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QWebEngineView>

namespace {
// A red logo of 200 x 60 at the top left of the signature, as Mail names its image part.
const QByteArray logoHtml =
    "<body style=3D\"margin:0\"><img src=3D\"cid:LOGO\" width=3D\"200\" height=3D\"60\" "
    "style=3D\"display:block\"><p>Jane</p></body>";
} // namespace

class TestImagesWindow : public QObject
{
    Q_OBJECT
public:
    ContentView *content() const { return m_window->contentView(); }
    SignaturesEngine &engine() const { return content()->engine(); }
    QWebEngineView *view() const { return m_window->findChild<QWebEngineView *>(); }
    auto *message() const { return content()->previewPane()->topbar()->message(); }
    QRgb pixel(int x, int y) const { return view()->grab().toImage().pixel(x, y); }
    void select(int sample)
    {
        for (const SignatureModel &signature : engine().uiModel()->signatures().get()) {
            if (signature.id == m_home->id(sample))
                engine().selectionUiModel()->signature().set(signature);
        }
    }

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        QVERIFY(TestHome::write(m_home->file(0), TestHome::related(logoHtml, {{u"LOGO"_s, u"logo.png"_s,
                                                                               TestHome::png("red")}})));
        TestHome::printed([this] { FolderAccess::saveFolderBookmark(m_home->mail()); });
        QGuiApplication::clipboard()->clear();
        m_window = std::make_unique<Vellix_Mac_MailApp>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(view(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(view()->isVisible(), 30000);
        QTRY_COMPARE(engine().uiModel()->signatures().get().size(), 3);
    }
    void cleanup()
    {
        m_window.reset();
        m_home.reset();
    }
    void logoPartShows()
    {
        select(0);
        QTRY_COMPARE_WITH_TIMEOUT(pixel(100, 30), qRgb(255, 0, 0), 15000);
        QVERIFY(content()->previewPane()->notes()->isHidden()); // a cid: with its part is no note
    }
    void insertTellsWhatItLeftOut()
    {
        select(0);
        QTRY_COMPARE_WITH_TIMEOUT(pixel(100, 30), qRgb(255, 0, 0), 15000);
        auto *mime = new QMimeData;
        mime->setHtml(u"<p>No logo</p>"_s);
        QGuiApplication::clipboard()->setMimeData(mime);
        QTest::mouseClick(content()->previewPane()->topbar()->button(), Qt::LeftButton);
        QCOMPARE(TestHome::mimeDecoded({m_home->file(0)}), QStringList{u"<p>No logo</p>"_s});
        QCOMPARE(message()->text(),
                 u"The image logo.png was left out: the new HTML does not show it. It is kept "
                 "in the version before this insert."_s);
        QTRY_COMPARE_WITH_TIMEOUT(PageProbe::containerHtml(view()->page()), u"<p>No logo</p>"_s, 15000);
    }
    void embedImagesMakesParts()
    {
        // A data: image, inserted as the clipboard gives it, then embedded from the note's button.
        select(1);
        auto *mime = new QMimeData;
        mime->setHtml(
            u"<body style=\"margin:0\"><img width=\"200\" height=\"60\" style=\"display:block\" "
            "src=\"data:image/png;base64,%1\">"_s.arg(QString::fromLatin1(TestHome::png("red").toBase64())));
        QGuiApplication::clipboard()->setMimeData(mime);
        QTest::mouseClick(content()->previewPane()->topbar()->button(), Qt::LeftButton);
        SignatureRenderNotes *line = content()->previewPane()->notes();
        QTRY_VERIFY(line->isVisible());
        QTest::mouseClick(line, Qt::LeftButton);
        QTRY_VERIFY(line->popover() && line->popover()->isVisible());
        QPushButton *embed = line->popover()->embedButton();
        QVERIFY(embed->isVisible());
        QTest::mouseClick(embed, Qt::LeftButton);

        const QJsonObject written = TestHome::mimeParts({m_home->file(1)}).at(0).toObject();
        QCOMPARE(written[u"type"_s].toString(), u"multipart/related"_s);
        const QString id = written[u"parts"_s].toArray().at(0)[u"contentId"_s].toString();
        QVERIFY(written[u"html"_s].toString().contains(u"src=\"cid:"_s + id + u'"'));
        QCOMPARE(written[u"parts"_s].toArray().at(0)[u"data"_s].toString().toLatin1(),
                 TestHome::png("red").toBase64());
        QVERIFY(TestHome::isLocked(m_home->file(1)));
        QTRY_VERIFY(line->isHidden()); // nothing embedded in the HTML is left to note
        QTRY_COMPARE_WITH_TIMEOUT(pixel(100, 30), qRgb(255, 0, 0), 15000);
    }
    void droppedFileBringsItsImages()
    {
        select(1);
        const QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"img"_s));
        QVERIFY(TestHome::write(dir.filePath(u"img/logo.png"_s), TestHome::png("red")));
        QVERIFY(
            TestHome::write(dir.filePath(u"sig.html"_s),
                            "<body style=\"margin:0\"><img src=\"img/logo.png\" width=\"200\" height=\"60\" "
                            "style=\"display:block\">"));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(dir.filePath(u"sig.html"_s))});
        // Where Qt would take it: the innermost widget over the preview's middle that takes drops.
        QWidget *page = content()->previewPane()->webView();
        QWidget *target =
            m_window->childAt(m_window->mapFromGlobal(page->mapToGlobal(page->rect().center())));
        while (target && !target->acceptDrops())
            target = target->parentWidget();
        QVERIFY(target);
        const QPoint at = target->mapFromGlobal(page->mapToGlobal(page->rect().center()));
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &dropped);
        const QJsonObject written = TestHome::mimeParts({m_home->file(1)}).at(0).toObject();
        QCOMPARE(written[u"parts"_s].toArray().size(), 1);
        QCOMPARE(written[u"parts"_s].toArray().at(0)[u"filename"_s].toString(), u"logo.png"_s);
        QTRY_COMPARE_WITH_TIMEOUT(pixel(100, 30), qRgb(255, 0, 0), 15000);
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Vellix_Mac_MailApp> m_window;
};

QTEST_MAIN(TestImagesWindow)
#include "tst_images_window.moc"
