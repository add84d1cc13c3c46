#include "tests/ui/WindowTestSupport.h"

#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/AppBundleFixture.h"
#include "tests/access/FolderChooserDriver.h"
#include "ui/SignatureListModel.h"
#include "ui/SignatureListView.h"
#include "ui/RestoreVersionDialog.h"
#include "ui/SignatureLockButton.h"
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
    void keyboardDrivesTheList();
    void restoreAPreviousVersion();
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
    static void setClipboardHtml(const QString &html)
    {
        auto *mime = new QMimeData;
        mime->setHtml(html);
        QGuiApplication::clipboard()->setMimeData(mime);
    }

    QString selectedName() const { return content()->engine().selectionUiModel()->signature().get().value_or(SignatureModel{}).name; }
    QAction *restoreAction() const
    {
        for (QAction *item : m_window->menuBar()->actions().first()->menu()->actions()) {
            if (item->text() == SignatureListView::restoreActionText())
                return item;
        }
        return nullptr;
    }

    std::unique_ptr<SampleHome> m_home;
    QByteArray m_original;
    std::unique_ptr<Vellix_Mac_MailApp> m_window;
};

void tst_ApplicationWindow::initTestCase()
{
    m_home = std::make_unique<SampleHome>();
    QVERIFY(m_home->isValid());
    m_original = TestEnvironment::readFile(m_home->signatureFile(1));
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
    // The web view comes after the first frame, and shows once its page has loaded.
    QTRY_VERIFY_WITH_TIMEOUT(m_window->findChild<QWebEngineView *>(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->findChild<QWebEngineView *>()->isVisible(), 30000);
    QVERIFY(PageProbe::hasUpdate(m_window->findChild<QWebEngineView *>()->page()));
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
    // Pretty-printed, with attributes a careless encoder would garble.
    const QString first = QStringLiteral("<div style=\"color: #336\">\n\n<b>Grace Hopper</b> \u2014 <a "
                                         "href=\"https://x.example/?id=12345\">Navy</a></div>");
    const QString second = QStringLiteral("<p width=100>\n\n<i>Katherine Johnson</i></p>");
    for (const QString &html : {first, second}) {
        setClipboardHtml(html);
        QTRY_VERIFY_WITH_TIMEOUT(topbar()->button()->isEnabled(), 10000);
        QTest::mouseClick(topbar()->button(), Qt::LeftButton);
        QCOMPARE(TestEnvironment::readFile(m_home->signatureFile(1)),
                 *SignatureFileFormat::compose(published->header, html));
        const QString shown = html == first ? QStringLiteral("Grace Hopper") : QStringLiteral("Katherine Johnson");
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(shown), 15000);
        // The published content is still what was read at selection; clicking the row reads the file again.
        if (html == first)
            QCOMPARE(content()->engine().renderedUiModel()->signature().get(), published);
        clickRow(0);
        QTRY_VERIFY_WITH_TIMEOUT(!preview().contains(shown), 15000);
        clickRow(1);
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(QStringLiteral("x.example/?id=12345")) == (html == first)
                                     && preview().contains(shown), 15000);
    }
    QVERIFY(ImmutableFlag::isSet(m_home->signatureFile(1)));
    QVERIFY(!ImmutableFlag::isSet(m_home->signatureFile(0)));
    QTRY_VERIFY(locked(1));
    QTRY_VERIFY(lockSlot(1) != unlockedSlot);
    QVERIFY(topbar()->message()->isHidden());
}

void tst_ApplicationWindow::confirmedUnlockClearsTheFlag()
{
    QTest::mouseClick(list()->lockButton(1), Qt::LeftButton);
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
    const QByteArray before = TestEnvironment::readFile(m_home->signatureFile(0));
    setClipboardHtml(QStringLiteral("<p>while Mail runs</p>"));
    AppBundleFixture bundles;
    const QString mail = AppBundleFixture::create(m_home->environment().home() + QStringLiteral("/Applications"),
                                                  QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    QElapsedTimer clock;
    clock.start();
    QProcess *process = bundles.start(mail);
    QVERIFY(process);
    // Clicked before the once-a-second poll has seen Mail: the click itself looks.
    QVERIFY(topbar()->button()->isEnabled());
    QTest::mouseClick(topbar()->button(), Qt::LeftButton);
    QCOMPARE(TestEnvironment::readFile(m_home->signatureFile(0)), before);
    QTRY_VERIFY_WITH_TIMEOUT(!topbar()->message()->isHidden() && !topbar()->button()->isEnabled(), 3000);
    qInfo("measured: message shown and insert disabled %lld ms after Mail started", clock.elapsed());
    QCOMPARE(topbar()->message()->text(), QStringLiteral("Mail must be closed before inserting a signature"));
    QCOMPARE(topbar()->button()->geometry(), buttonPlace);
    AppBundleFixture::stop(process);
    QTRY_VERIFY_WITH_TIMEOUT(topbar()->message()->isHidden() && topbar()->button()->isEnabled(), 10000);
}

void tst_ApplicationWindow::keyboardDrivesTheList()
{
    QListView *view = list()->listView();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    clickRow(0);
    QCOMPARE(QApplication::focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(selectedName(), m_home->name(1));
    QTRY_VERIFY_WITH_TIMEOUT(preview().contains(QStringLiteral("Katherine Johnson")), 15000);
    QTest::keyClick(view, Qt::Key_End);
    QCOMPARE(selectedName(), m_home->name(2));
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(selectedName(), m_home->name(0));
    QTest::keyClicks(view, QStringLiteral("Pe"));
    QCOMPARE(selectedName(), QStringLiteral("Personal"));
    QTRY_VERIFY_WITH_TIMEOUT(preview().contains(QStringLiteral("Katherine Johnson")), 15000);

    // A locked row's padlock comes next with Tab, and opens its alert with Space.
    QVERIFY(ImmutableFlag::set(m_home->signatureFile(2)));
    content()->engine().loadSignatures();
    QCOMPARE(list()->lockButton(2)->accessibleName(), QStringLiteral("Unlock Short"));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), list()->lockButton(2));
    QTest::keyClick(list()->lockButton(2), Qt::Key_Space);
    QMessageBox *alert = nullptr;
    QTRY_VERIFY((alert = openAlert(m_window.get())));
    QTest::mouseClick(alert->button(QMessageBox::Cancel), Qt::LeftButton);
    QTRY_VERIFY(!openAlert(m_window.get()));
    QVERIFY(ImmutableFlag::isSet(m_home->signatureFile(2)));
}

void tst_ApplicationWindow::restoreAPreviousVersion()
{
    clickRow(2); // never replaced: nothing to restore
    QVERIFY(!restoreAction()->isEnabled());
    clickRow(1);
    QVERIFY(restoreAction()->isEnabled());
    const QByteArray current = TestEnvironment::readFile(m_home->signatureFile(1));
    for (const bool restore : {false, true}) {
        restoreAction()->trigger();
        RestoreVersionDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = m_window->findChild<RestoreVersionDialog *>()) && dialog->isVisible());
        QCOMPARE(dialog->versions()->model()->rowCount(), 3); // two inserts and an unlock, one the same as before
        QTest::keyClick(dialog->versions(), Qt::Key_End); // the oldest: the file as Mail wrote it
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(QStringLiteral("at home")), 15000);
        QTest::keyClick(dialog->versions(), restore ? Qt::Key_Return : Qt::Key_Escape);
        QTRY_VERIFY(!m_window->findChild<RestoreVersionDialog *>());
        QCOMPARE(TestEnvironment::readFile(m_home->signatureFile(1)), restore ? m_original : current);
        const QString shown = restore ? QStringLiteral("at home") : QStringLiteral("Katherine Johnson");
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(shown), 15000);
    }
    QVERIFY(ImmutableFlag::isSet(m_home->signatureFile(1)));
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
