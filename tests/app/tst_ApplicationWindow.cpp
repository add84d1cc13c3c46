#include "tests/ui/WindowTestSupport.h"

#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/AppBundleFixture.h"
#include "tests/access/FolderChooserDriver.h"
#include "ui/SignatureListModel.h"
#include "ui/SignatureListView.h"
#include "ui/SignatureRender.h"
#include "ui/SignatureRenderTopbar.h"
#include "ui/SignatureRenderTopbarInsertButton.h"
#include "ui/SignatureRenderTopbarMessageMailRunning.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWebEngineView>

#include <memory>

// The whole program, driven through its one window as a user would, on a
// sample Mail folder in a temporary home. The cases run in order and share
// the window: first start, select, insert, unlock, Mail running, restart.
class tst_ApplicationWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void windowHasFixedSizesAndNoExtraMenuItems();
    void firstStartAsksForTheFolder();
    void clickingARowShowsItsPreview();
    void insertWritesAndLocksTheSelectedSignature();
    void confirmedUnlockClearsTheFlag();
    void runningMailBlocksInserting();
    void restartUsesTheStoredGrant();

private:
    void open();
    ContentView *content() const { return m_window->contentView(); }
    SignatureListView *list() const { return content()->listPane(); }
    SignatureRenderTopbar *topbar() const { return content()->previewPane()->topbar(); }
    QWebEngineView *webView() const { return m_window->findChild<QWebEngineView *>(); }
    void clickRow(int row);
    QColor lockSlotPixel(int row) const;

    std::unique_ptr<SampleHome> m_home;
    std::unique_ptr<Vellix_Mac_MailApp> m_window;
};

void tst_ApplicationWindow::initTestCase()
{
    m_home = std::make_unique<SampleHome>();
    QVERIFY(m_home->isValid());
    QElapsedTimer clock;
    clock.start();
    open();
    const qint64 shownAt = clock.elapsed();
    QVERIFY(webView());
    // The web engine starts cold here: this is the first page of the process.
    QTRY_VERIFY_WITH_TIMEOUT(WindowTestSupport::evaluate(webView(), QStringLiteral("typeof update")).toString() ==
                                 QLatin1String("function"),
                             30000);
    qInfo("measured: cold start to window shown %lld ms, to preview page ready %lld ms", shownAt, clock.elapsed());
}

void tst_ApplicationWindow::cleanupTestCase()
{
    FolderChooserDriver::closeAll();
    m_window.reset();
    m_home.reset();
}

void tst_ApplicationWindow::open()
{
    m_window = std::make_unique<Vellix_Mac_MailApp>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_ApplicationWindow::clickRow(int row)
{
    const QRect rect = list()->rowRect(row);
    QTest::mouseClick(list()->listView()->viewport(), Qt::LeftButton, {}, QPoint(rect.center().x(), rect.center().y()));
}

QColor tst_ApplicationWindow::lockSlotPixel(int row) const
{
    QWidget *viewport = list()->listView()->viewport();
    const QImage image = viewport->grab().toImage();
    // Sample along the slot's middle column: the padlock's body is there.
    const QRect slot = list()->lockRect(row);
    QColor darkest = image.pixelColor(slot.center() * viewport->devicePixelRatioF());
    for (int y = slot.top(); y <= slot.bottom(); ++y) {
        const QColor pixel = image.pixelColor(QPoint(slot.center().x(), y) * viewport->devicePixelRatioF());
        if (pixel.lightness() < darkest.lightness())
            darkest = pixel;
    }
    return darkest;
}

void tst_ApplicationWindow::windowHasFixedSizesAndNoExtraMenuItems()
{
    QCOMPARE(content()->size(), QSize(900, 400));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(m_window->centralWidget(), content());
    QCOMPARE(list()->width(), 250);
    QCOMPARE(list()->height(), content()->previewPane()->height());

    // Default margins outside, then the list, its trailing padding, the
    // default spacing, and the preview up to the right margin.
    const QStyle *style = content()->style();
    const int left = style->pixelMetric(QStyle::PM_LayoutLeftMargin);
    const int right = style->pixelMetric(QStyle::PM_LayoutRightMargin);
    const int spacing = style->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    QCOMPARE(list()->x(), left);
    QCOMPARE(content()->previewPane()->x(), left + 250 + right + spacing);
    QCOMPARE(content()->previewPane()->geometry().right(), 900 - right - 1);
    qInfo("measured: content %dx%d, list pane %d wide, preview pane %dx%d", content()->width(), content()->height(),
          list()->width(), content()->previewPane()->width(), content()->previewPane()->height());

    // The menu opens no second window and has no help items.
    for (QAction *menu : m_window->menuBar()->actions()) {
        QVERIFY(!menu->text().contains(QStringLiteral("Help")) || !menu->menu() || menu->menu()->isEmpty());
        if (menu->menu()) {
            for (QAction *item : menu->menu()->actions())
                QVERIFY2(!item->text().contains(QStringLiteral("New")), qPrintable(item->text()));
        }
    }
}

void tst_ApplicationWindow::firstStartAsksForTheFolder()
{
    QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
    QCOMPARE(list()->model()->rowCount(), 0);
    QCOMPARE(topbar()->button()->text(), QStringLiteral("Authorize Access to Mail Signature folder"));

    QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().first(), m_home->environment().mailFolder()));
    QTRY_COMPARE(list()->model()->rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(list()->model()->index(row).data().toString(), m_home->name(row));
    QCOMPARE(topbar()->button()->text(), QStringLiteral("Insert Signature from Clipboard"));
    QVERIFY(!topbar()->button()->isEnabled());
}

void tst_ApplicationWindow::clickingARowShowsItsPreview()
{
    QVERIFY(webView());
    clickRow(0);
    QCOMPARE(content()->engine().selectionUiModel()->signature().get()->name, QStringLiteral("Work"));
    QTRY_VERIFY_WITH_TIMEOUT(WindowTestSupport::previewContainerHtml(webView()).contains(QStringLiteral("<b>Ada Lovelace</b>")),
                             30000);
    QVERIFY(topbar()->button()->isEnabled());

    clickRow(1);
    QTRY_VERIFY_WITH_TIMEOUT(WindowTestSupport::previewContainerHtml(webView()).contains(QStringLiteral("at home")), 15000);
}

void tst_ApplicationWindow::insertWritesAndLocksTheSelectedSignature()
{
    const QColor unlockedSlot = lockSlotPixel(1);
    const std::optional<AppleSignatureContent> published = content()->engine().renderedUiModel()->signature().get();
    QVERIFY(published);
    const QString html = QStringLiteral("<div style=\"color: #336\"><b>Grace Hopper</b> \u2014 Navy</div>");
    auto *mime = new QMimeData;
    mime->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(mime);

    // Another program's Mail may be running on this machine for a moment.
    QTRY_VERIFY_WITH_TIMEOUT(topbar()->button()->isEnabled(), 10000);
    QTest::mouseClick(topbar()->button(), Qt::LeftButton);

    const QByteArray bytes = TestEnvironment::readFile(m_home->signatureFile(1));
    QCOMPARE(bytes, MailFixture::header(m_home->id(1)) + "\n\n" + html.toUtf8());
    QVERIFY(WindowTestSupport::isImmutable(m_home->signatureFile(1)));
    QTRY_VERIFY(list()->model()->index(1).data(SignatureListModel::LockedRole).toBool());
    QTRY_VERIFY(lockSlotPixel(1) != unlockedSlot);
    QTRY_VERIFY_WITH_TIMEOUT(WindowTestSupport::previewContainerHtml(webView()).contains(QStringLiteral("Grace Hopper")),
                             15000);
    // The other files are untouched.
    QVERIFY(!WindowTestSupport::isImmutable(m_home->signatureFile(0)));

    // The preview shows the clipboard; the published content is still what
    // was read at selection. Clicking the row again reads the file back.
    QCOMPARE(content()->engine().renderedUiModel()->signature().get(), published);
    clickRow(1);
    QCOMPARE(content()->engine().renderedUiModel()->signature().get()->htmlContent, html);
    QCOMPARE(content()->engine().renderedUiModel()->signature().get()->header, published->header);
}

void tst_ApplicationWindow::confirmedUnlockClearsTheFlag()
{
    QTest::mouseClick(list()->listView()->viewport(), Qt::LeftButton, {}, list()->lockRect(1).center());
    QMessageBox *alert = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (alert = WindowTestSupport::openAlert(m_window.get())) != nullptr; }, 5000));
    QCOMPARE(alert->text(), QStringLiteral("File is Locked?"));
    QTest::mouseClick(WindowTestSupport::alertButton(alert, QStringLiteral("Confirm")), Qt::LeftButton);
    QTRY_VERIFY(!WindowTestSupport::openAlert(m_window.get()));
    QVERIFY(!WindowTestSupport::isImmutable(m_home->signatureFile(1)));
    QTRY_VERIFY(!list()->model()->index(1).data(SignatureListModel::LockedRole).toBool());
    // The unlocked file keeps the inserted text until Mail rewrites it.
    QVERIFY(TestEnvironment::readFile(m_home->signatureFile(1)).contains("Grace Hopper"));
}

void tst_ApplicationWindow::runningMailBlocksInserting()
{
    clickRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(topbar()->button()->isEnabled(), 10000);
    QVERIFY(topbar()->message()->isHidden());
    const QRect buttonPlace = topbar()->button()->geometry();

    AppBundleFixture bundles;
    const QString mail = AppBundleFixture::create(m_home->environment().home() + QStringLiteral("/Applications"),
                                                  QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    QVERIFY(!mail.isEmpty());
    QElapsedTimer clock;
    clock.start();
    QProcess *process = bundles.start(mail);
    QVERIFY(process);
    QTRY_VERIFY_WITH_TIMEOUT(!topbar()->message()->isHidden() && !topbar()->button()->isEnabled(), 3000);
    const qint64 shownAfter = clock.elapsed();
    qInfo("measured: message shown and insert disabled %lld ms after Mail started", shownAfter);
    QVERIFY2(shownAfter <= 2000, qPrintable(QString::number(shownAfter)));
    QCOMPARE(topbar()->button()->geometry(), buttonPlace);

    AppBundleFixture::stop(process);
    QTRY_VERIFY_WITH_TIMEOUT(topbar()->message()->isHidden(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(topbar()->button()->isEnabled(), 10000);
}

void tst_ApplicationWindow::restartUsesTheStoredGrant()
{
    m_window.reset();
    FolderChooserDriver::closeAll();

    QElapsedTimer clock;
    clock.start();
    qint64 pageLoadedAt = -1;
    m_window = std::make_unique<Vellix_Mac_MailApp>();
    QVERIFY(webView());
    connect(webView(), &QWebEngineView::loadFinished, this, [&] { pageLoadedAt = clock.elapsed(); });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const qint64 listShownAt = clock.elapsed();
    QCOMPARE(list()->model()->rowCount(), 3);
    QVERIFY(content()->engine().accessAuthorize()->isAuthorized().get());

    QTRY_VERIFY_WITH_TIMEOUT(pageLoadedAt >= 0, 30000);
    clickRow(2);
    QTRY_VERIFY_WITH_TIMEOUT(WindowTestSupport::previewContainerHtml(webView()).contains(QStringLiteral("A.")), 15000);
    const qint64 previewShownAt = clock.elapsed();
    qInfo("measured: start-up to list shown %lld ms, to preview page loaded %lld ms, to first preview shown %lld ms",
          listShownAt, pageLoadedAt, previewShownAt);

    QTest::qWait(500);
    QVERIFY(FolderChooserDriver::openChoosers().isEmpty());
}

WINDOW_TEST_MAIN(tst_ApplicationWindow)
#include "tst_ApplicationWindow.moc"
