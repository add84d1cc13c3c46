#include "tests/ui/WindowTestSupport.h"

#include "access/AccessEngineServices.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/FolderChooserDriver.h"
#include "ui/SignaturListFooter.h"
#include "ui/SignaturListTitle.h"
#include "ui/SignatureListModel.h"
#include "ui/SignatureListView.h"
#include "ui/SignatureLockButton.h"
#include "ui/SignatureRender.h"
#include "ui/SignatureRenderTopbar.h"
#include "ui/SignatureRenderTopbarInsertButton.h"
#include "ui/SignatureRenderWebView.h"
#include "ui/SignatureUnlockButton.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QListView>
#include <QSignalSpy>

#include <memory>

class UrlReceiver : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

using namespace WindowTestSupport;

// The list pane and the preview pane, each on a real engine over a sample Mail folder.
class tst_Panes : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void listPaneLayoutAndFooter();
    void clickAnywhereInARowSelectsIt_data();
    void clickAnywhereInARowSelectsIt();
    void highlightFollowsTheSelection();
    void lockSlotAndAlert();
    void previewPaneChooserAndEmptyClipboard();

private:
    template <typename Pane> Pane *build(bool granted);
    SignatureListView *list() { return build<SignatureListView>(true); }
    void click(const QPoint &point) { QTest::mouseClick(m_list->listView()->viewport(), Qt::LeftButton, {}, point); }
    QPoint rowPoint(int row, int x) const { return {x, m_list->rowRect(row).center().y()}; }
    std::optional<SignatureModel> selected() const { return m_engine->selectionUiModel()->signature().get(); }
    SignatureModel record(int row) const { return m_engine->uiModel()->signatures().get().at(row); }
    void lock(int row);

    std::unique_ptr<SampleHome> m_home;
    std::unique_ptr<SignaturesEngine> m_engine;
    std::unique_ptr<QWidget> m_pane;
    SignatureListView *m_list = nullptr;
};

template <typename Pane> Pane *tst_Panes::build(bool granted)
{
    m_home = std::make_unique<SampleHome>();
    if (granted)
        m_home->storeGrant();
    m_engine = std::make_unique<SignaturesEngine>(std::make_unique<AccessEngineServices>());
    auto *pane = new Pane(WindowEnvironment::of(*m_engine));
    m_pane.reset(pane);
    if constexpr (std::is_same_v<Pane, SignatureListView>)
        m_list = pane;
    pane->resize(m_list ? 250 : 620, 360);
    pane->show();
    [&] { QVERIFY(m_home->isValid() && QTest::qWaitForWindowExposed(pane)); }();
    return pane;
}

void tst_Panes::cleanup()
{
    FolderChooserDriver::closeAll();
    m_pane.reset();
    m_engine.reset();
    m_home.reset();
    m_list = nullptr;
}

void tst_Panes::lock(int row)
{
    QVERIFY(ImmutableFlag::set(m_home->signatureFile(row)));
    m_engine->loadSignatures();
    QVERIFY(m_list->model()->index(row).data(SignatureListModel::LockedRole).toBool());
}

void tst_Panes::listPaneLayoutAndFooter()
{
    list();
    QCOMPARE(m_list->title()->text(), QStringLiteral("Select a signature to modify"));
    QVERIFY(m_list->title()->font().bold());
    QVERIFY(m_list->title()->font().pointSizeF() < QApplication::font().pointSizeF());
    QVERIFY(qAbs(m_list->title()->palette().color(QPalette::WindowText).alphaF()
                 - QApplication::palette().color(QPalette::WindowText).alphaF() * 0.5) < 0.001);
    QCOMPARE(m_list->listView()->selectionMode(), QAbstractItemView::NoSelection);

    // The 18 x 18 lock slot sits at the trailing edge inside the row's inset, locked or not.
    const QRect row = m_list->rowRect(0);
    QCOMPARE(m_list->lockRect(0).size(), QSize(18, 18));
    QCOMPARE(m_list->lockRect(0).right(), row.right() - 2);
    lock(1);
    QCOMPARE(m_list->lockRect(1).topRight() - m_list->rowRect(1).topRight(), m_list->lockRect(0).topRight() - row.topRight());

    QVERIFY(m_list->footer()->text().contains(QStringLiteral("underline")));
    QCOMPARE(SignaturListFooter::linkColor().blue(), 255);
    UrlReceiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &receiver, "open");
    const int textWidth = m_list->footer()->fontMetrics().horizontalAdvance(SignaturListFooter::linkText());
    QTest::mouseClick(m_list->footer(), Qt::LeftButton, {}, QPoint(textWidth / 2, m_list->footer()->height() / 2));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(SignaturListFooter::linkText(), QStringLiteral("Provided by Vellix"));
    QCOMPARE(receiver.opened, QList<QUrl>{QUrl(QStringLiteral("https://vellix.example/"))});
}

void tst_Panes::clickAnywhereInARowSelectsIt_data()
{
    QTest::addColumn<int>("where");
    QTest::newRow("on the name") << 0;
    QTest::newRow("between name and lock") << 1;
    QTest::newRow("empty lock slot") << 2;
    QTest::newRow("top inset") << 3;
    QTest::newRow("bottom trailing corner") << 4;
}

void tst_Panes::clickAnywhereInARowSelectsIt()
{
    QFETCH(int, where);
    list();
    click(rowPoint(1, 20));
    QCOMPARE(selected(), record(1));
    const QRect r = m_list->rowRect(2), slot = m_list->lockRect(2);
    const QPoint points[] = {{r.left() + 8, r.center().y()}, {slot.left() - 12, r.center().y()}, slot.center(),
                             {r.center().x(), r.top() + 1}, r.bottomRight() - QPoint(1, 1)};
    click(points[where]);
    QCOMPARE(selected(), record(2));
    QVERIFY(m_list->model()->index(2).data(SignatureListModel::SelectedRole).toBool());
    QVERIFY(!m_list->model()->index(1).data(SignatureListModel::SelectedRole).toBool());
    QVERIFY(!openAlert(m_list));
}

void tst_Panes::highlightFollowsTheSelection()
{
    list();
    QWidget *viewport = m_list->listView()->viewport();
    const auto pixelAt = [viewport](const QPoint &point) {
        return viewport->grab().toImage().pixelColor(point * viewport->devicePixelRatioF());
    };
    const int x = m_list->lockRect(0).left() - 12;
    const QColor background = pixelAt(rowPoint(0, x));
    QCOMPARE(pixelAt(rowPoint(1, x)), background);

    click(rowPoint(0, x));
    QTRY_VERIFY(pixelAt(rowPoint(0, x)) != background);
    QCOMPARE(pixelAt(rowPoint(1, x)), background);
    QCOMPARE(pixelAt(m_list->rowRect(0).topLeft()), background); // rounded corner
    // A faint tint of the text colour, not the toolkit's selection colour.
    const QColor tint = pixelAt(rowPoint(0, x));
    QVERIFY(qAbs(tint.lightness() - background.lightness()) < 60);

    click(rowPoint(1, x));
    QTRY_COMPARE(pixelAt(rowPoint(0, x)), background);
    QCOMPARE(pixelAt(rowPoint(1, x)), tint);
    // A reload that changes the selected record's lock flag ends its highlight;
    // clicking the row again brings it back.
    lock(1);
    QTRY_COMPARE(pixelAt(rowPoint(1, x)), background);
    click(rowPoint(1, x));
    QTRY_COMPARE(pixelAt(rowPoint(1, x)), tint);
}

void tst_Panes::lockSlotAndAlert()
{
    list();
    // The invisible slot of an unlocked row never opens the alert.
    QVERIFY(!SignatureUnlockButton::isClickable(record(0)));
    m_list->unlockButton()->activate(record(0));
    QTest::qWait(200);
    QVERIFY(!openAlert(m_list));

    lock(1);
    click(rowPoint(0, 20));
    const std::optional<SignatureModel> selection = selected();
    const QList<SignatureModel> records = m_engine->uiModel()->signatures().get();
    const QByteArray bytes = TestEnvironment::readFile(m_home->signatureFile(1));
    QVERIFY(!m_list->lockButton(0));
    QCOMPARE(m_list->lockButton(1)->geometry(), m_list->lockRect(1));
    QTest::mouseClick(m_list->lockButton(1), Qt::LeftButton);
    QMessageBox *alert = nullptr;
    QTRY_VERIFY((alert = openAlert(m_list)));
    QCOMPARE(selected(), selection); // the padlock is not a click on the row
    QCOMPARE(alert->text(), QStringLiteral("File is Locked?"));
    QCOMPARE(alert->informativeText(),
             QStringLiteral("The file is locked to prevent Mail from modifying it. By unlocking it, Mail will revert "
                            "it back to its original state."));
    QAbstractButton *confirm = alertButton(alert, QStringLiteral("Confirm"));
    QVERIFY(confirm && alert->button(QMessageBox::Cancel));
    QCOMPARE(alert->buttonRole(confirm), QMessageBox::DestructiveRole);
    m_list->unlockButton()->activate(record(1)); // no second alert while one is up
    QCOMPARE(m_list->findChildren<QMessageBox *>().size(), 1);

    // Cancel changes nothing.
    QSignalSpy reloads(m_engine->uiModel(), &SignatureListUIModel::changed);
    QTest::mouseClick(alert->button(QMessageBox::Cancel), Qt::LeftButton);
    QTRY_VERIFY(!openAlert(m_list));
    QCOMPARE(reloads.size(), 0);
    QVERIFY(ImmutableFlag::isSet(m_home->signatureFile(1)));
    QCOMPARE(TestEnvironment::readFile(m_home->signatureFile(1)), bytes);
    QCOMPARE(m_engine->uiModel()->signatures().get(), records);
    QCOMPARE(selected(), selection);

    // Confirming on a file that went away still reloads the list.
    QVERIFY(ImmutableFlag::clear(m_home->signatureFile(1)));
    QVERIFY(QFile::remove(m_home->signatureFile(1)));
    QTest::mouseClick(m_list->lockButton(1), Qt::LeftButton);
    QTRY_VERIFY((alert = openAlert(m_list)));
    QTest::mouseClick(alertButton(alert, QStringLiteral("Confirm")), Qt::LeftButton);
    QTRY_VERIFY(reloads.size() >= 1);
    QCOMPARE(m_list->model()->rowCount(), 3);
    QVERIFY(!m_list->model()->index(1).data(SignatureListModel::LockedRole).toBool());
}

void tst_Panes::previewPaneChooserAndEmptyClipboard()
{
    auto *pane = build<SignatureRender>(false);
    SignatureRenderTopbarInsertButton *button = pane->topbar()->button();
    const QString authorize = QStringLiteral("Authorize Access to Mail Signature folder");
    QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
    QCOMPARE(button->text(), authorize);
    QVERIFY(button->isEnabled());
    // Cancelling the chooser leaves everything as it was; the button asks again.
    QVERIFY(FolderChooserDriver::cancel(FolderChooserDriver::openChoosers().first()));
    QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 0);
    QCOMPARE(button->text(), authorize);
    QVERIFY(!m_engine->accessAuthorize()->isAuthorized().get());
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
    QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().first(), m_home->environment().mailFolder()));
    QTRY_VERIFY(m_engine->accessAuthorize()->isAuthorized().get());

    // Inserting with nothing on the clipboard changes nothing.
    QTRY_VERIFY_WITH_TIMEOUT(pane->findChild<QWebEngineView *>(), 30000);
    QWebEngineView *view = pane->findChild<QWebEngineView *>();
    m_engine->selectionUiModel()->signature().set(record(2));
    QTRY_VERIFY_WITH_TIMEOUT(PageProbe::containerHtml(view->page()).contains(QStringLiteral("A.")), 30000);
    const QString shown = PageProbe::containerHtml(view->page());
    const QByteArray bytes = TestEnvironment::readFile(m_home->signatureFile(2));
    QGuiApplication::clipboard()->clear();
    QTRY_VERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(300);
    QCOMPARE(TestEnvironment::readFile(m_home->signatureFile(2)), bytes);
    QVERIFY(!ImmutableFlag::isSet(m_home->signatureFile(2)));
    QCOMPARE(PageProbe::containerHtml(view->page()), shown);
}

WINDOW_TEST_MAIN(tst_Panes)
#include "tst_panes.moc"
