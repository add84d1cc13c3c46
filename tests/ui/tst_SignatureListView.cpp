#include "tests/ui/WindowTestSupport.h"

#include "access/AccessEngineServices.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "store/SignaturesEngine.h"
#include "ui/SignaturListFooter.h"
#include "ui/SignaturListTitle.h"
#include "ui/SignatureListModel.h"
#include "ui/SignatureListView.h"
#include "ui/SignatureRowDelegate.h"
#include "ui/SignatureUnlockButton.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// Receives the addresses the footer hands to the system.
class UrlReceiver : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

// The list pane on a real engine over a sample Mail folder: what rows show,
// what a click selects, and what the padlock and its alert do.
class tst_SignatureListView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void showsTitleRowsAndFooter();
    void rowGeometry();
    void clickAnywhereInARowSelectsIt_data();
    void clickAnywhereInARowSelectsIt();
    void highlightFollowsTheSelection();
    void everyClickReadsTheFileAgain();
    void invisibleLockSlotNeverOpensTheAlert();
    void cancelChangesNothing();
    void confirmUnlocksAndReloads();
    void confirmOnAMissingFileStillReloads();
    void footerOpensTheMakersSite();

private:
    void lock(int index);
    QMessageBox *clickLock(int row);
    QPoint rowPoint(int row, const QString &where) const;

    std::unique_ptr<SampleHome> m_home;
    std::unique_ptr<SignaturesEngine> m_engine;
    std::unique_ptr<SignatureListView> m_pane;
};

void tst_SignatureListView::init()
{
    m_home = std::make_unique<SampleHome>();
    QVERIFY(m_home->isValid());
    m_home->storeGrant();
    m_engine = std::make_unique<SignaturesEngine>(std::make_unique<AccessEngineServices>());
    QVERIFY(m_engine->accessAuthorize()->isAuthorized().get());
    m_pane = std::make_unique<SignatureListView>(WindowEnvironment::of(*m_engine));
    m_pane->resize(250, 320);
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
}

void tst_SignatureListView::cleanup()
{
    m_pane.reset();
    m_engine.reset();
    m_home.reset();
}

void tst_SignatureListView::lock(int index)
{
    QVERIFY(TestEnvironment::chattr(m_home->signatureFile(index), QStringLiteral("+i")));
    m_engine->loadSignatures();
    QVERIFY(m_pane->model()->index(index).data(SignatureListModel::LockedRole).toBool());
}

QMessageBox *tst_SignatureListView::clickLock(int row)
{
    QTest::mouseClick(m_pane->listView()->viewport(), Qt::LeftButton, {}, m_pane->lockRect(row).center());
    QMessageBox *alert = nullptr;
    (void)QTest::qWaitFor([&] { return (alert = WindowTestSupport::openAlert(m_pane.get())) != nullptr; }, 5000);
    return alert;
}

QPoint tst_SignatureListView::rowPoint(int row, const QString &where) const
{
    const QRect rect = m_pane->rowRect(row);
    if (where == QLatin1String("name"))
        return {rect.left() + 8, rect.center().y()};
    if (where == QLatin1String("between name and lock"))
        return {m_pane->lockRect(row).left() - 12, rect.center().y()};
    if (where == QLatin1String("lock slot"))
        return m_pane->lockRect(row).center();
    if (where == QLatin1String("top inset"))
        return {rect.center().x(), rect.top() + 1};
    return {rect.right() - 1, rect.bottom() - 1};
}

void tst_SignatureListView::showsTitleRowsAndFooter()
{
    QCOMPARE(m_pane->title()->text(), QStringLiteral("Select a signature to modify"));
    QVERIFY(m_pane->title()->font().bold());
    QVERIFY(m_pane->title()->font().pointSizeF() < QApplication::font().pointSizeF());
    // Colour channels are 16-bit: half opacity within one step.
    QVERIFY(qAbs(m_pane->title()->palette().color(QPalette::WindowText).alphaF() -
                 QApplication::palette().color(QPalette::WindowText).alphaF() * 0.5) < 0.001);

    QCOMPARE(m_pane->model()->rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(m_pane->model()->index(row).data().toString(), m_home->name(row));

    QVERIFY(m_pane->footer()->text().contains(QStringLiteral("Provided by Vellix")));
    QVERIFY(m_pane->footer()->text().contains(QStringLiteral("underline")));
    QVERIFY(m_pane->footer()->font().pointSizeF() < QApplication::font().pointSizeF());

    // Top to bottom: title, list, footer.
    QVERIFY(m_pane->title()->geometry().bottom() < m_pane->listView()->geometry().top());
    QVERIFY(m_pane->listView()->geometry().bottom() < m_pane->footer()->geometry().top());

    // No list of its own behind the rows, and no toolkit selection.
    QCOMPARE(m_pane->listView()->selectionMode(), QAbstractItemView::NoSelection);
    QVERIFY(!m_pane->listView()->viewport()->autoFillBackground());
}

void tst_SignatureListView::rowGeometry()
{
    const QRect row = m_pane->rowRect(0);
    const QRect slot = m_pane->lockRect(0);
    QCOMPARE(slot.size(), QSize(18, 18));
    // The slot sits at the trailing edge, inside the row's inset of 2.
    QCOMPARE(slot.right(), row.right() - 2);
    QVERIFY(row.height() >= 18 + 6 + 6);
    QCOMPARE(row.width(), m_pane->listView()->viewport()->width());
    // Every row keeps the same slot, locked or not.
    lock(1);
    QCOMPARE(m_pane->lockRect(1).size(), slot.size());
    QCOMPARE(m_pane->lockRect(1).left(), slot.left());
}

void tst_SignatureListView::clickAnywhereInARowSelectsIt_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("on the name") << QStringLiteral("name");
    QTest::newRow("between name and lock") << QStringLiteral("between name and lock");
    QTest::newRow("empty lock slot") << QStringLiteral("lock slot");
    QTest::newRow("top inset") << QStringLiteral("top inset");
    QTest::newRow("bottom trailing corner") << QStringLiteral("corner");
}

void tst_SignatureListView::clickAnywhereInARowSelectsIt()
{
    QFETCH(QString, where);
    QWidget *viewport = m_pane->listView()->viewport();

    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowPoint(1, QStringLiteral("name")));
    QCOMPARE(m_engine->selectionUiModel()->signature().get(), m_engine->uiModel()->signatures().get().at(1));

    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowPoint(2, where));
    QCOMPARE(m_engine->selectionUiModel()->signature().get(), m_engine->uiModel()->signatures().get().at(2));
    QVERIFY(m_pane->model()->index(2).data(SignatureListModel::SelectedRole).toBool());
    QVERIFY(!m_pane->model()->index(1).data(SignatureListModel::SelectedRole).toBool());
    QVERIFY(!WindowTestSupport::openAlert(m_pane.get()));
}

void tst_SignatureListView::highlightFollowsTheSelection()
{
    QWidget *viewport = m_pane->listView()->viewport();
    const auto pixelAt = [viewport](const QPoint &point) {
        return viewport->grab().toImage().pixelColor(point * viewport->devicePixelRatioF());
    };
    const QPoint inRow0(m_pane->lockRect(0).left() - 12, m_pane->rowRect(0).center().y());
    const QPoint inRow1(inRow0.x(), m_pane->rowRect(1).center().y());
    const QColor background = pixelAt(inRow0);
    QCOMPARE(pixelAt(inRow1), background);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, inRow0);
    QTRY_VERIFY(pixelAt(inRow0) != background);
    QCOMPARE(pixelAt(inRow1), background);
    // Rounded corners: the very corner of the row stays clear.
    QCOMPARE(pixelAt(m_pane->rowRect(0).topLeft()), background);
    // A faint tint of the text colour, not the toolkit's selection colour.
    const QColor tint = pixelAt(inRow0);
    QVERIFY(qAbs(tint.lightness() - background.lightness()) < 60);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, inRow1);
    QTRY_COMPARE(pixelAt(inRow0), background);
    QCOMPARE(pixelAt(inRow1), tint);

    // A reload that changes the selected record's lock flag ends its highlight;
    // clicking the row again brings it back.
    lock(1);
    QTRY_COMPARE(pixelAt(inRow1), background);
    QVERIFY(!m_engine->selectionUiModel()->signature().get()->isFileLocked);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, inRow1);
    QTRY_COMPARE(pixelAt(inRow1), tint);
}

void tst_SignatureListView::everyClickReadsTheFileAgain()
{
    QSignalSpy published(m_engine->renderedUiModel(), &SignatureRenderUIModel::changed);
    const QPoint point = rowPoint(0, QStringLiteral("name"));
    QTest::mouseClick(m_pane->listView()->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseClick(m_pane->listView()->viewport(), Qt::LeftButton, {}, point);
    QCOMPARE(published.size(), 2);
    QVERIFY(m_engine->renderedUiModel()->signature().get()->htmlContent.contains(QStringLiteral("Ada Lovelace")));
}

void tst_SignatureListView::invisibleLockSlotNeverOpensTheAlert()
{
    QVERIFY(!SignatureUnlockButton::isClickable(m_engine->uiModel()->signatures().get().at(0)));
    QTest::mouseClick(m_pane->listView()->viewport(), Qt::LeftButton, {}, m_pane->lockRect(0).center());
    QTest::qWait(200);
    QVERIFY(!WindowTestSupport::openAlert(m_pane.get()));
    QVERIFY(!m_pane->unlockButton()->showAlert());
    // Asking the button directly for an unlocked record does nothing either.
    m_pane->unlockButton()->activate(m_engine->uiModel()->signatures().get().at(0));
    QVERIFY(!m_pane->unlockButton()->showAlert());
}

void tst_SignatureListView::cancelChangesNothing()
{
    lock(1);
    QTest::mouseClick(m_pane->listView()->viewport(), Qt::LeftButton, {}, rowPoint(0, QStringLiteral("name")));
    const std::optional<SignatureModel> selection = m_engine->selectionUiModel()->signature().get();
    const QList<SignatureModel> list = m_engine->uiModel()->signatures().get();
    const QByteArray bytes = TestEnvironment::readFile(m_home->signatureFile(1));

    QMessageBox *alert = clickLock(1);
    QVERIFY(alert);
    // Clicking the padlock is not a click on the row.
    QCOMPARE(m_engine->selectionUiModel()->signature().get(), selection);
    QCOMPARE(alert->text(), QStringLiteral("File is Locked?"));
    QCOMPARE(alert->informativeText(),
             QStringLiteral("The file is locked to prevent Mail from modifying it. By unlocking it, Mail will revert "
                            "it back to its original state."));
    QPushButton *confirm = WindowTestSupport::alertButton(alert, QStringLiteral("Confirm"));
    QVERIFY(confirm);
    QCOMPARE(alert->buttonRole(confirm), QMessageBox::DestructiveRole);
    QAbstractButton *cancel = alert->button(QMessageBox::Cancel);
    QVERIFY(cancel);

    // While the alert is up a second click opens no second alert.
    m_pane->unlockButton()->activate(list.at(1));
    QCOMPARE(m_pane->findChildren<QMessageBox *>().size(), 1);

    QSignalSpy reloads(m_engine->uiModel(), &SignatureListUIModel::changed);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY(!WindowTestSupport::openAlert(m_pane.get()));
    QVERIFY(!m_pane->unlockButton()->showAlert());
    QCOMPARE(reloads.size(), 0);
    QVERIFY(WindowTestSupport::isImmutable(m_home->signatureFile(1)));
    QCOMPARE(TestEnvironment::readFile(m_home->signatureFile(1)), bytes);
    QCOMPARE(m_engine->uiModel()->signatures().get(), list);
    QCOMPARE(m_engine->selectionUiModel()->signature().get(), selection);
}

void tst_SignatureListView::confirmUnlocksAndReloads()
{
    lock(2);
    QMessageBox *alert = clickLock(2);
    QVERIFY(alert);
    QSignalSpy reloads(m_engine->uiModel(), &SignatureListUIModel::changed);
    QTest::mouseClick(WindowTestSupport::alertButton(alert, QStringLiteral("Confirm")), Qt::LeftButton);
    QTRY_VERIFY(!WindowTestSupport::openAlert(m_pane.get()));
    QVERIFY(reloads.size() >= 1);
    QVERIFY(!WindowTestSupport::isImmutable(m_home->signatureFile(2)));
    QVERIFY(!m_pane->model()->index(2).data(SignatureListModel::LockedRole).toBool());
    // The padlock is gone, so its slot selects the row again.
    QTest::mouseClick(m_pane->listView()->viewport(), Qt::LeftButton, {}, m_pane->lockRect(2).center());
    QCOMPARE(m_engine->selectionUiModel()->signature().get(), m_engine->uiModel()->signatures().get().at(2));
}

void tst_SignatureListView::confirmOnAMissingFileStillReloads()
{
    lock(0);
    // The file goes away while the list still shows it locked.
    QVERIFY(TestEnvironment::chattr(m_home->signatureFile(0), QStringLiteral("-i")));
    QVERIFY(QFile::remove(m_home->signatureFile(0)));
    QMessageBox *alert = clickLock(0);
    QVERIFY(alert);
    QSignalSpy reloads(m_engine->uiModel(), &SignatureListUIModel::changed);
    QTest::mouseClick(WindowTestSupport::alertButton(alert, QStringLiteral("Confirm")), Qt::LeftButton);
    QTRY_VERIFY(reloads.size() >= 1);
    QVERIFY(!QFile::exists(m_home->signatureFile(0)));
    QCOMPARE(m_pane->model()->rowCount(), 3);
    QVERIFY(!m_pane->model()->index(0).data(SignatureListModel::LockedRole).toBool());
}

void tst_SignatureListView::footerOpensTheMakersSite()
{
    UrlReceiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &receiver, "open");
    SignaturListFooter *footer = m_pane->footer();
    const int textWidth = footer->fontMetrics().horizontalAdvance(SignaturListFooter::linkText());
    QTest::mouseClick(footer, Qt::LeftButton, {}, QPoint(textWidth / 2, footer->height() / 2));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(receiver.opened, QList<QUrl>{QUrl(QStringLiteral("https://vellix.example/"))});
    QVERIFY(SignaturListFooter::address().isValid());
    QCOMPARE(SignaturListFooter::linkColor().blue(), 255);
}

WINDOW_TEST_MAIN(tst_SignatureListView)
#include "tst_SignatureListView.moc"
