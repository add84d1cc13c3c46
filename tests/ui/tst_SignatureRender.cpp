#include "tests/ui/WindowTestSupport.h"

#include "access/AccessEngineServices.h"
#include "access/MailMonitor.h"
#include "preview/ControlWebview.h"
#include "preview/WebView.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/AppBundleFixture.h"
#include "tests/access/FolderChooserDriver.h"
#include "ui/SignatureRender.h"
#include "ui/SignatureRenderTopbar.h"
#include "ui/SignatureRenderTopbarInsertButton.h"
#include "ui/SignatureRenderTopbarMessageMailRunning.h"
#include "ui/SignatureRenderWebView.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QTest>

#include <memory>

// The preview pane on a real engine: the top bar's button and message as the
// engine, Mail and the preview change, and what the button's actions do.
class tst_SignatureRender : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();

    void authorizeButtonUntilAccessIsGranted();
    void insertButtonWaitsForAPreview();
    void emptyClipboardChangesNothing();
    void authorizeStaysClickableWhileMailRuns();

private:
    void build(bool granted);
    void select(int index);
    QWebEngineView *view() const { return m_pane->webView()->host()->webView(); }
    void waitForPage();

    std::unique_ptr<SampleHome> m_home;
    std::unique_ptr<SignaturesEngine> m_engine;
    std::unique_ptr<SignatureRender> m_pane;
};

void tst_SignatureRender::build(bool granted)
{
    m_home = std::make_unique<SampleHome>();
    QVERIFY(m_home->isValid());
    if (granted)
        m_home->storeGrant();
    m_engine = std::make_unique<SignaturesEngine>(std::make_unique<AccessEngineServices>());
    m_pane = std::make_unique<SignatureRender>(WindowEnvironment::of(*m_engine));
    m_pane->resize(620, 380);
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
}

void tst_SignatureRender::cleanup()
{
    FolderChooserDriver::closeAll();
    m_pane.reset();
    m_engine.reset();
    m_home.reset();
    QGuiApplication::clipboard()->clear();
}

void tst_SignatureRender::select(int index)
{
    m_engine->selectionUiModel()->signature().set(m_engine->uiModel()->signatures().get().at(index));
}

void tst_SignatureRender::waitForPage()
{
    QTRY_COMPARE_WITH_TIMEOUT(WindowTestSupport::evaluate(view(), QStringLiteral("typeof update")).toString(),
                              QStringLiteral("function"), 30000);
}

void tst_SignatureRender::authorizeButtonUntilAccessIsGranted()
{
    build(false);
    SignatureRenderTopbarInsertButton *button = m_pane->topbar()->button();
    QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
    QCOMPARE(button->text(), QStringLiteral("Authorize Access to Mail Signature folder"));
    QVERIFY(button->isEnabled());
    QVERIFY(m_pane->topbar()->message()->isHidden());

    // Cancelling leaves everything as it was.
    QVERIFY(FolderChooserDriver::cancel(FolderChooserDriver::openChoosers().first()));
    QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 0);
    QCOMPARE(button->text(), QStringLiteral("Authorize Access to Mail Signature folder"));
    QVERIFY(!m_engine->accessAuthorize()->isAuthorized().get());

    // The button asks again; confirming brings the engine to running.
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
    QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().first(),
                                         m_home->environment().mailFolder()));
    QTRY_VERIFY(m_engine->accessAuthorize()->isAuthorized().get());
    QCOMPARE(m_engine->uiModel()->signatures().get().size(), 3);
    QCOMPARE(button->text(), QStringLiteral("Insert Signature from Clipboard"));
    QVERIFY(!button->isEnabled());
}

void tst_SignatureRender::insertButtonWaitsForAPreview()
{
    build(true);
    SignatureRenderTopbarInsertButton *button = m_pane->topbar()->button();
    QCOMPARE(button->text(), QStringLiteral("Insert Signature from Clipboard"));
    QVERIFY(!button->isEnabled());
    QVERIFY(FolderChooserDriver::openChoosers().isEmpty());

    waitForPage();
    select(0);
    QVERIFY(button->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(
        WindowTestSupport::previewContainerHtml(view()).contains(QStringLiteral("<b>Ada Lovelace</b>")), 15000);

    // A signature picked before the page is ready is shown once it is.
    select(1);
    QTRY_VERIFY_WITH_TIMEOUT(WindowTestSupport::previewContainerHtml(view()).contains(QStringLiteral("at home")),
                             15000);
}

void tst_SignatureRender::emptyClipboardChangesNothing()
{
    build(true);
    waitForPage();
    select(2);
    QTRY_VERIFY_WITH_TIMEOUT(WindowTestSupport::previewContainerHtml(view()).contains(QStringLiteral("A.")), 15000);
    const QString shown = WindowTestSupport::previewContainerHtml(view());
    const QByteArray bytes = TestEnvironment::readFile(m_home->signatureFile(2));

    QGuiApplication::clipboard()->clear();
    SignatureRenderTopbarInsertButton *button = m_pane->topbar()->button();
    QTRY_VERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(300);
    QCOMPARE(TestEnvironment::readFile(m_home->signatureFile(2)), bytes);
    QVERIFY(!WindowTestSupport::isImmutable(m_home->signatureFile(2)));
    QCOMPARE(WindowTestSupport::previewContainerHtml(view()), shown);
}

void tst_SignatureRender::authorizeStaysClickableWhileMailRuns()
{
    build(false);
    FolderChooserDriver::closeAll();
    AppBundleFixture bundles;
    const QString mail = AppBundleFixture::create(m_home->environment().home() + QStringLiteral("/Applications"),
                                                  QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    QVERIFY(bundles.start(mail));
    SignatureRenderTopbar *topbar = m_pane->topbar();
    QTRY_VERIFY_WITH_TIMEOUT(!topbar->message()->isHidden(), 5000);
    QCOMPARE(topbar->message()->text(), QStringLiteral("Mail must be closed before inserting a signature"));
    QCOMPARE(topbar->button()->text(), QStringLiteral("Authorize Access to Mail Signature folder"));
    QVERIFY(topbar->button()->isEnabled());
    QTest::mouseClick(topbar->button(), Qt::LeftButton);
    QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
}

WINDOW_TEST_MAIN(tst_SignatureRender)
#include "tst_SignatureRender.moc"
