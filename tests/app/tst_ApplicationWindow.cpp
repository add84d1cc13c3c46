#include "tests/ui/WindowTestSupport.h"

#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
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

#include <QClipboard>
#include <QElapsedTimer>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>

#include <memory>

using namespace WindowTestSupport;

// The whole program driven through its window as a user would, on a sample
// Mail folder in a temporary home. The cases run in order and share the window.
class tst_ApplicationWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
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
    QString preview() const { return PageProbe::containerHtml(m_window->findChild<QWebEngineView *>()->page()); }
    bool locked(int row) const { return list()->model()->index(row).data(SignatureListModel::LockedRole).toBool(); }
    QImage lockSlot(int row) const { return list()->listView()->viewport()->grab(list()->lockRect(row)).toImage(); }
    void clickRow(int row) { QTest::mouseClick(list()->listView()->viewport(), Qt::LeftButton, {}, list()->rowRect(row).center()); }

    std::unique_ptr<SampleHome> m_home;
    std::unique_ptr<Vellix_Mac_MailApp> m_window;
};

void tst_ApplicationWindow::initTestCase()
{
    m_home = std::make_unique<SampleHome>();
    QVERIFY(m_home->isValid());
    open();
    // Fixed sizes; no menu item opens a second window and Help has no items.
    QCOMPARE(content()->size(), QSize(900, 400));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(list()->width(), 250);
    for (QAction *menu : m_window->menuBar()->actions()) {
        QVERIFY(!menu->text().contains(QStringLiteral("Help")) || !menu->menu() || menu->menu()->isEmpty());
        for (QAction *item : menu->menu() ? menu->menu()->actions() : QList<QAction *>())
            QVERIFY2(!item->text().contains(QStringLiteral("New")), qPrintable(item->text()));
    }
}

void tst_ApplicationWindow::cleanupTestCase()
{
    FolderChooserDriver::closeAll();
    m_window.reset();
    m_home.reset();
}

void tst_ApplicationWindow::open()
{
    QElapsedTimer clock;
    clock.start();
    m_window = std::make_unique<Vellix_Mac_MailApp>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const qint64 shownAt = clock.elapsed();
    QTRY_VERIFY_WITH_TIMEOUT(PageProbe::hasUpdate(m_window->findChild<QWebEngineView *>()->page()), 30000);
    qInfo("measured: start-up to window shown %lld ms, to preview page ready %lld ms", shownAt, clock.elapsed());
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
    clickRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(preview().contains(QStringLiteral("<b>Ada Lovelace</b>")), 30000);
    QVERIFY(topbar()->button()->isEnabled());
    clickRow(1);
    QTRY_VERIFY_WITH_TIMEOUT(preview().contains(QStringLiteral("at home")), 15000);
}

void tst_ApplicationWindow::insertWritesAndLocksTheSelectedSignature()
{
    const QImage unlockedSlot = lockSlot(1);
    const std::optional<AppleSignatureContent> published = content()->engine().renderedUiModel()->signature().get();
    QVERIFY(published);
    const QString html = QStringLiteral("<div style=\"color: #336\"><b>Grace Hopper</b> \u2014 Navy</div>");
    auto *mime = new QMimeData;
    mime->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(mime);
    QTRY_VERIFY_WITH_TIMEOUT(topbar()->button()->isEnabled(), 10000);
    QTest::mouseClick(topbar()->button(), Qt::LeftButton);

    QCOMPARE(TestEnvironment::readFile(m_home->signatureFile(1)), MailFixture::header(m_home->id(1)) + "\n\n" + html.toUtf8());
    QVERIFY(ImmutableFlag::isSet(m_home->signatureFile(1)));
    QVERIFY(!ImmutableFlag::isSet(m_home->signatureFile(0)));
    QTRY_VERIFY(locked(1));
    QTRY_VERIFY(lockSlot(1) != unlockedSlot);
    QTRY_VERIFY_WITH_TIMEOUT(preview().contains(QStringLiteral("Grace Hopper")), 15000);
    // The published content is still what was read at selection; clicking the row reads the file again.
    QCOMPARE(content()->engine().renderedUiModel()->signature().get(), published);
    clickRow(1);
    QCOMPARE(content()->engine().renderedUiModel()->signature().get(),
             std::optional(AppleSignatureContent{published->header, html}));
}

void tst_ApplicationWindow::confirmedUnlockClearsTheFlag()
{
    QTest::mouseClick(list()->listView()->viewport(), Qt::LeftButton, {}, list()->lockRect(1).center());
    QMessageBox *alert = nullptr;
    QTRY_VERIFY((alert = openAlert(m_window.get())));
    QCOMPARE(alert->text(), QStringLiteral("File is Locked?"));
    QTest::mouseClick(alertButton(alert, QStringLiteral("Confirm")), Qt::LeftButton);
    QTRY_VERIFY(!openAlert(m_window.get()));
    QVERIFY(!ImmutableFlag::isSet(m_home->signatureFile(1)));
    QTRY_VERIFY(!locked(1));
}

void tst_ApplicationWindow::runningMailBlocksInserting()
{
#ifndef STAND_IN_MAIL_IS_SEEN
    QSKIP("This system does not see a stand-in Mail started as a plain process.");
#endif
    clickRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(topbar()->button()->isEnabled(), 10000);
    QVERIFY(topbar()->message()->isHidden());
    const QRect buttonPlace = topbar()->button()->geometry();
    AppBundleFixture bundles;
    const QString mail = AppBundleFixture::create(m_home->environment().home() + QStringLiteral("/Applications"),
                                                  QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    QElapsedTimer clock;
    clock.start();
    QProcess *process = bundles.start(mail);
    QVERIFY(process);
    QTRY_VERIFY_WITH_TIMEOUT(!topbar()->message()->isHidden() && !topbar()->button()->isEnabled(), 3000);
    qInfo("measured: message shown and insert disabled %lld ms after Mail started", clock.elapsed());
    QVERIFY(clock.elapsed() <= 2000);
    QCOMPARE(topbar()->message()->text(), QStringLiteral("Mail must be closed before inserting a signature"));
    QCOMPARE(topbar()->button()->geometry(), buttonPlace);
    AppBundleFixture::stop(process);
    QTRY_VERIFY_WITH_TIMEOUT(topbar()->message()->isHidden() && topbar()->button()->isEnabled(), 10000);
}

void tst_ApplicationWindow::restartUsesTheStoredGrant()
{
    m_window.reset();
    FolderChooserDriver::closeAll();
    open();
    QCOMPARE(list()->model()->rowCount(), 3);
    QVERIFY(content()->engine().accessAuthorize()->isAuthorized().get());
    clickRow(2);
    QTRY_VERIFY_WITH_TIMEOUT(preview().contains(QStringLiteral("A.")), 15000);
    QVERIFY(FolderChooserDriver::openChoosers().isEmpty());
}

WINDOW_TEST_MAIN(tst_ApplicationWindow)
#include "tst_ApplicationWindow.moc"
