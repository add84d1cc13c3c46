// The program driven through its window as a user would; the cases share the window, in order.
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "notes/SignatureNote.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/FolderChooserDriver.h"
#include "tests/common/TestHome.h"
#include "tests/preview/PageProbe.h"
#include "ui/SignatureActions.h"
#include "ui/list/NewSignatureActions.h"
#include "ui/list/NewSignatureSheet.h"
#include "ui/list/SignatureItemModel.h"
#include "ui/list/SignatureListView.h"
#include "ui/list/SignatureRowDelegate.h"
#include "ui/list/SignatureUnlockButton.h"
#include "ui/render/FieldsSheet.h"
#include "ui/render/SignatureNotesPopover.h"
#include "ui/render/SignatureRender.h"
#include "ui/render/SignatureRenderAppearanceLine.h"
#include "ui/render/SignatureRenderNotes.h"
#include "ui/render/SignatureRenderTopbar.h"
#include "ui/render/SignatureRenderTopbarAppearance.h"
#include "ui/render/SignatureRenderTopbarInsertButton.h"
#include "ui/render/SignatureRenderTopbarMessageMailRunning.h"
#include "ui/render/SignatureRenderTopbarPutBackButton.h"
#include "ui/render/SignatureRenderWebView.h"
#include "ui/restore/KeptVersionDialog.h"
#include "ui/restore/KeptVersionItemModel.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLayout>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QWebEngineView>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestWindow : public QObject
{
    Q_OBJECT
public:
    ContentView *content() const { return m_window->contentView(); }
    SignaturesEngine &engine() const { return content()->engine(); }
    SignatureListView *list() const { return content()->listPane(); }
    QPushButton *button() const { return content()->previewPane()->topbar()->button(); }
    QPushButton *putBack() const { return content()->previewPane()->topbar()->putBackButton(); }
    QLabel *message() const { return content()->previewPane()->topbar()->message(); }
    QString preview() const
    {
        return PageProbe::containerHtml(m_window->findChild<QWebEngineView *>()->page());
    }
    bool selected(int row) const
    {
        return list()->model()->index(row).data(SignatureItemModel::SelectedRole).toBool();
    }
    QString selectedName() const
    {
        return engine().selectionUiModel()->signature().get().value_or(SignatureModel{}).name;
    }
    void click(int row, QPoint at = {}) const
    {
        QTest::mouseClick(list()->rowsView()->viewport(), Qt::LeftButton, {},
                          at.isNull() ? list()->rowRect(row).center() : at);
    }
    QString rowText(int row) const
    {
        return list()->model()->index(row).data(Qt::AccessibleTextRole).toString();
    }
    // Whether anything is drawn in a row's mark slot: the row's background is all there is otherwise.
    bool inked(int row, int position) const
    {
        const QImage mark = list()->rowsView()->viewport()->grab(list()->markRect(row, position)).toImage();
        QImage plain(mark.size(), mark.format());
        plain.fill(mark.pixel(0, 0));
        return mark != plain;
    }
    // A row's colour in its top inset, mid-way, where only its background is drawn.
    QColor rowBackground(int row) const
    {
        const QRect r = list()->rowRect(row);
        return list()->rowsView()->viewport()->grab(r).toImage().pixelColor(r.width() / 2, 3);
    }
    // Where the preview starts, once the pane has laid out what it shows now.
    int previewTop() const
    {
        content()->previewPane()->layout()->activate();
        return content()->previewPane()->webView()->geometry().top();
    }
    static void copy(const QString &html)
    {
        auto *mime = new QMimeData;
        mime->setHtml(html);
        QGuiApplication::clipboard()->setMimeData(mime);
    }
    QMessageBox *alert() const
    {
        const auto alerts = m_window->findChildren<QMessageBox *>();
        const auto open =
            std::find_if(alerts.begin(), alerts.end(), [](QMessageBox *box) { return box->isVisible(); });
        return open == alerts.end() ? nullptr : *open;
    }
    QAction *fileAction(const QString &text) const
    {
        const QList<QAction *> actions = m_window->menuBar()->actions().first()->menu()->actions();
        return *std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text() == text; });
    }
    QAction *restoreAction() const { return fileAction(SignatureListView::restoreActionText()); }
    QAction *undoAction() const { return m_window->menuBar()->actions().at(1)->menu()->actions().first(); }
    int rowOf(int sample) const
    {
        const int row = list()->model()->rowOf(m_home->id(sample)).value_or(-1);
        list()->rowsView()->scrollTo(list()->model()->index(row));
        return row;
    }
    // Drops mime at a point of the window where Qt would: on the innermost widget there that takes drops.
    bool drop(QWidget *over, QPoint at, const QMimeData &mime) const
    {
        const QPoint global = over->mapToGlobal(at);
        QWidget *target = m_window->childAt(m_window->mapFromGlobal(global));
        while (target && !target->acceptDrops())
            target = target->parentWidget();
        if (!target)
            return false;
        const QPoint local = target->mapFromGlobal(global);
        QDragEnterEvent enter(local, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(local), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted();
    }
    QAction *newAction() const { return fileAction(NewSignatureActions::menuText()); }
    NewSignatureSheet *sheet() const { return m_window->findChild<NewSignatureSheet *>(); }

private slots:
    void initTestCase()
    {
        m_home = std::make_unique<TestHome>();
        m_window = std::make_unique<Vellix_Mac_MailApp>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        // The web view comes after the first frame and shows once its page can take signatures.
        QTRY_VERIFY_WITH_TIMEOUT(m_window->findChild<QWebEngineView *>() &&
                                     m_window->findChild<QWebEngineView *>()->isVisible(),
                                 30000);
    }
    void cleanupTestCase()
    {
        FolderChooserDriver::closeAll();
        m_window.reset();
        m_home.reset();
    }
    void firstStartAsksForTheFolder()
    {
        const QString authorize = u"Authorize Access to Mail Signature folder"_s;
        QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
        QVERIFY(list()->model()->rowCount() == 0 && button()->text() == authorize &&
                !newAction()->isEnabled());
        // Modal to the window, and one at a time: asking again brings up the same one.
        QFileDialog *chooser = FolderChooserDriver::openChoosers().first();
        QVERIFY(chooser->windowModality() == Qt::WindowModal && chooser->parentWidget() == m_window.get());
        QTest::mouseClick(button(), Qt::LeftButton);
        SignatureActions::authorize(engine());
        QCOMPARE(FolderChooserDriver::openChoosers(), QList<QFileDialog *>{chooser});
        // Cancelled, nothing changes; the button asks again.
        QVERIFY(FolderChooserDriver::cancel(FolderChooserDriver::openChoosers().first()));
        QTRY_VERIFY(FolderChooserDriver::openChoosers().isEmpty());
        QVERIFY(button()->text() == authorize && button()->isEnabled() &&
                !engine().accessAuthorize()->isAuthorized().get());
        QTest::mouseClick(button(), Qt::LeftButton);
        QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
        QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().first(), m_home->mail()));
        QTRY_COMPARE(list()->model()->rowCount(), 3);
        QCOMPARE(list()->model()->index(2).data().toString(), m_home->name(2));
        QVERIFY(button()->text() == u"Insert Signature from Clipboard"_s && !button()->isEnabled() &&
                newAction()->isEnabled());
    }
    void rowsSelectAndPreview()
    {
        click(0);
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"<b>Ada Lovelace</b>"_s), 30000);
        QVERIFY(button()->isEnabled() && selected(0));
        // Nothing changed yet in this run: nothing to undo.
        QVERIFY(!undoAction()->isEnabled());
        QCOMPARE(undoAction()->text(), u"Undo Insert"_s);
        // Anywhere in a row selects it: the name, the gap, the empty lock slot, the insets.
        const QRect r = list()->rowRect(2), slot = list()->lockRect(2);
        for (const QPoint &at :
             {QPoint(r.left() + 8, r.center().y()), QPoint(slot.left() - 12, r.center().y()), slot.center(),
              QPoint(r.center().x(), r.top() + 1), r.bottomRight() - QPoint(1, 1)}) {
            click(1);
            click(2, at);
            QVERIFY(selected(2) && !selected(1) && selectedName() == m_home->name(2));
        }
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"A."_s), 15000);
    }
    void insertWritesAndLocks()
    {
        click(1);
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"at home"_s), 15000);
        const std::optional<AppleSignatureContent> published = engine().renderedUiModel()->signature().get();
        // A failed write is told in the top bar; the preview keeps what the file holds.
        copy(u"<p>lost</p>"_s);
        QVERIFY(TestHome::lock(m_home->signatures()));
        QTest::mouseClick(button(), Qt::LeftButton);
        QVERIFY(TestHome::lock(m_home->signatures(), false));
        QTRY_VERIFY(message()->isVisible() &&
                    message()->text().startsWith(u"The signature could not be saved"_s));
        QVERIFY(preview().contains(u"at home"_s));
        // Pretty-printed, with a link a careless encoder would garble; previewed as inserted, nothing
        // decoded.
        const QString file = u"file:///Applications/Calculator.app"_s;
        const QString html =
            u"<a href=\"%1\" style=\"display:block;height:40px\">f</a><div>\n\n<b>Katherine"
            " Johnson</b> it's =3D <a href=\"https://x.example/?id=12345\">NASA</a></div>"_s.arg(file);
        copy(html);
        QTest::mouseClick(button(), Qt::LeftButton);
        QCOMPARE(TestHome::read(m_home->file(1)), *SignatureFileFormat::compose(published->header, html));
        QVERIFY(message()->isHidden()); // the retry worked: the failure is no longer told
        QTRY_COMPARE_WITH_TIMEOUT(preview(), html, 15000);
        // A link the system is not asked to open is told in the top bar.
        auto *web = m_window->findChild<QWebEngineView *>();
        QTest::mouseClick(web->focusProxy(), Qt::LeftButton, {}, QPoint(100, 28));
        QTRY_COMPARE(message()->text(), SignatureRenderWebView::refusedLinkText(QUrl(file)));
        QTRY_VERIFY_WITH_TIMEOUT(
            preview().contains(u"Katherine Johnson"_s) && preview().contains(u"?id=12345"_s), 15000);
        QVERIFY(TestHome::isLocked(m_home->file(1)) && !TestHome::isLocked(m_home->file(0)));
        QTRY_VERIFY(list()->unlockButton(1) && !list()->unlockButton(0));
        // The list read again after the write still shows the row selected, with the focus elsewhere too.
        button()->setFocus();
        QImage highlight(1, 1, QImage::Format_ARGB32_Premultiplied);
        highlight.fill(rowBackground(0));
        QColor fill = list()->rowsView()->palette().color(QPalette::Active, QPalette::WindowText);
        fill.setAlphaF(SignatureRowDelegate::highlightOpacity);
        QPainter(&highlight).fillRect(highlight.rect(), fill);
        QVERIFY(!list()->rowsView()->hasFocus());
        QCOMPARE(rowBackground(1), highlight.pixelColor(0, 0));
    }
    void unlockAfterConfirmation()
    {
        // The padlock is no click on the row; its alert has the standard Cancel (Escape, below) and Confirm.
        click(0);
        QTest::mouseClick(list()->unlockButton(1), Qt::LeftButton);
        QTRY_VERIFY(alert());
        QVERIFY(selected(0) && alert()->text() == u"File is Locked?"_s &&
                alert()->button(QMessageBox::Cancel));
        const QList<QAbstractButton *> buttons = alert()->buttons();
        const auto confirm = std::find_if(buttons.begin(), buttons.end(), [](QAbstractButton *b) {
            return b->text().remove(u'&') == u"Confirm"_s;
        });
        QCOMPARE(alert()->buttonRole(*confirm), QMessageBox::DestructiveRole);
        QTest::mouseClick(*confirm, Qt::LeftButton);
        QTRY_VERIFY(!alert() && !list()->unlockButton(1));
        QVERIFY(!TestHome::isLocked(m_home->file(1)));
    }
    void previewModuleWhereTheProgramIs()
    {
        // The program looks for its web part only beside itself and in its bundle's PlugIns; without it,
        // one line and no preview. Qt's library log says what was loaded.
        const QString name = QFileInfo(QStringLiteral(SIGNATURES_PREVIEW_MODULE)).fileName();
        for (const bool inPlugIns : {false, true}) {
            QTemporaryDir bare;
            const QString program = bare.filePath(u"MacOS/signature-inserter"_s),
                          module = bare.filePath(u"PlugIns/"_s + name);
            QVERIFY(QDir(bare.path()).mkpath(u"MacOS"_s) && QDir(bare.path()).mkpath(u"PlugIns"_s) &&
                    QFile::copy(QStringLiteral(SIGNATURES_PROGRAM), program));
            QVERIFY(!inPlugIns || QFile::copy(QStringLiteral(SIGNATURES_PREVIEW_MODULE), module));
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"HOME"_s, bare.path());
            environment.insert(u"QT_LOGGING_RULES"_s, u"qt.core.library.debug=true"_s);
            process.setProcessEnvironment(environment);
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(program);
            QTRY_VERIFY_WITH_TIMEOUT(process.peek(1 << 20).contains("not loaded") ||
                                         process.peek(1 << 20).contains("loaded library"),
                                     20000);
            QTest::qWait(500);
            process.kill();
            process.waitForFinished();
            const QStringList lines = QString::fromUtf8(process.readAll()).split(u'\n').filter(name);
            QCOMPARE(lines, QStringList{inPlugIns ? u"qt.core.library: \"%1\" loaded library"_s.arg(module)
                                                  : u"Preview module not loaded: not found in %1, %2"_s.arg(
                                                        bare.filePath(u"MacOS/"_s + name), module)});
        }
    }
    void runningMailBlocksInsertingAndRestoring()
    {
#ifndef TESTS_ON_LINUX
        QSKIP("This system does not see a stand-in Mail started as a plain process.");
#endif
        copy(u"<p>while Mail runs</p>"_s);
        for (const QString &way : {u"insert"_s, u"restore"_s, u"new"_s, u"undo"_s}) {
            const bool restoring = way == u"restore"_s;
            click(1);
            QTRY_VERIFY_WITH_TIMEOUT(button()->isEnabled() && message()->isHidden(), 10000);
            const QByteArray before = TestHome::read(m_home->file(1));
            if (restoring)
                restoreAction()->trigger();
            const auto *dialog = m_window->findChild<KeptVersionDialog *>();
            QProcess mail;
            mail.start(TestHome::fakeApp(m_home->path(), u"Mail"_s, u"com.apple.mail"_s), {u"60"_s});
            // Before the once-a-second poll has seen Mail: the click or the key itself looks, and says so.
            QVERIFY(mail.waitForStarted() && button()->isEnabled() && restoring == bool(dialog));
            if (restoring) // the oldest version, not what the file holds
                QTest::keySequence(dialog->versions(), QKeySequence(Qt::Key_End, Qt::Key_Return));
            else if (way == u"new"_s) // refused before a name is asked
                newAction()->trigger();
            else if (way == u"undo"_s) // the insert of an earlier case is there to undo
                undoAction()->trigger();
            else
                QTest::mouseClick(button(), Qt::LeftButton);
            QVERIFY(TestHome::read(m_home->file(1)) == before && !sheet());
            QTRY_VERIFY_WITH_TIMEOUT(!message()->isHidden() && !button()->isEnabled(), 3000);
            QCOMPARE(message()->text(), SignatureActions::mailRunningRefusal());
            click(1); // a new look at the signature: Mail's state is what is left to say
            QCOMPARE(message()->text(), u"Mail must be closed before inserting a signature"_s);
            mail.kill();
            QTRY_VERIFY_WITH_TIMEOUT(message()->isHidden() && button()->isEnabled(), 10000);
        }
    }
    void keyboardDrivesTheList()
    {
        QListView *view = list()->rowsView();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // With nothing chosen, the focus frame's row is no choice: Down lands on the first, Up on the last.
        for (const auto &[key, row] : {std::pair{Qt::Key_Down, 0}, {Qt::Key_Up, 2}}) {
            engine().selectionUiModel()->signature().set(std::nullopt);
            engine().loadSignatures();
            view->clearFocus();
            view->setFocus(); // the focus frame goes to the first row
            QTest::keyClick(view, key);
            QCOMPARE(selectedName(), m_home->name(row));
        }
        click(2); // not the current row: the click moves it
        QCOMPARE(QApplication::focusWidget(), view);
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(selectedName(), m_home->name(1));
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"Katherine Johnson"_s), 15000);
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(selectedName(), m_home->name(2));
        QTest::keyClicks(view, u"Pe"_s);
        QCOMPARE(selectedName(), u"Personal"_s);
        // A locked row's padlock is next after the list for Tab, named, and opens its alert with Space.
        QVERIFY(TestHome::lock(m_home->file(2)));
        engine().loadSignatures(); // the keyboard goes on from where it was
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(selectedName(), m_home->name(2));
        QCOMPARE(list()->unlockButton(2)->accessibleName(), u"Unlock Short"_s);
        QCOMPARE(QApplication::focusWidget(),
                 view); // an arrow onto a locked row leaves the focus in the list
        QTest::keyClick(view, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), list()->unlockButton(2));
        QTest::keyClick(list()->unlockButton(2), Qt::Key_Space);
        QTRY_VERIFY(alert());
        QTest::keyClick(alert(), Qt::Key_Escape); // cancels: nothing changes
        QTRY_VERIFY(!alert());
        QVERIFY(TestHome::isLocked(m_home->file(2)) && selectedName() == m_home->name(2));
    }
    void restoreAPreviousVersion()
    {
        click(2); // never replaced: nothing to restore
        QVERIFY(restoreAction()->text() == SignatureListView::restoreActionText() &&
                !restoreAction()->isEnabled());
        click(1);
        QVERIFY(restoreAction()->isEnabled());
        // Inserted without a new look at the row: the dialog and Cancel show the file as it now is.
        copy(u"<p>Grace Hopper</p>"_s);
        QTest::mouseClick(button(), Qt::LeftButton);
        const QByteArray current = TestHome::read(m_home->file(1));
        QWidget *previewPane = content()->previewPane();
        const QPoint at = m_window->pos();
        for (const bool restore : {false, true}) {
            // Widened to be read whole: with no room left of the window over the preview, short of its
            // middle; with room, away from it.
            m_window->move(restore ? 400 : 0, at.y());
            restoreAction()->trigger();
            KeptVersionDialog *dialog = nullptr;
            QTRY_VERIFY((dialog = m_window->findChild<KeptVersionDialog *>()) && dialog->isVisible());
            const QRect frame = dialog->frameGeometry(),
                        listArea(list()->mapToGlobal(QPoint()), list()->size()),
                        previewArea(previewPane->mapToGlobal(QPoint()), previewPane->size());
            QVERIFY(frame.left() <= listArea.left() && frame.right() >= listArea.right() &&
                    frame.right() < previewArea.center().x() && (!restore || !frame.intersects(previewArea)));
            const QListView *versions = dialog->versions();
            const int textMargins = 2 * (versions->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
            for (int row = 0; row < versions->model()->rowCount(); ++row) {
                const QModelIndex index = versions->model()->index(row, 0);
                const QStringList lines = index.data().toString().split(u'\n');
                QVERIFY(versions->visualRect(index).height() >=
                        lines.size() * versions->fontMetrics().height());
                for (const QString &line : lines)
                    QVERIFY2(versions->fontMetrics().horizontalAdvance(line) + textMargins <=
                                 versions->viewport()->width(),
                             qPrintable(line));
            }
            // The title as a title bar shows it, with the program's name, centred between its buttons.
            QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
            titleFont.setBold(true);
            const QFontMetrics title(titleFont);
            QVERIFY(title.horizontalAdvance(dialog->windowTitle() + u" \u2014 "_s +
                                            QGuiApplication::applicationDisplayName()) +
                        6 * title.height() <=
                    dialog->frameGeometry().width());
            // Newest first: each insert, the unlock, and the file before the first insert.
            QStringList kinds;
            for (int row = 0; row < dialog->versions()->model()->rowCount(); ++row)
                kinds << dialog->versions()->model()->index(row, 0).data().toString().section(u',', 0, 0);
            QCOMPARE(kinds,
                     (QStringList{u"Inserted"_s, u"Kept when unlocked"_s, u"Inserted"_s, u"Original"_s}));
            QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"Grace Hopper"_s), 15000);
            QVERIFY(!dialog->restoreButton()->isEnabled());   // none chosen yet
            QTest::keyClick(dialog->versions(), Qt::Key_End); // the original, as Mail wrote it
            QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"at home"_s), 15000);
            QTest::keyClick(dialog->versions(), restore ? Qt::Key_Return : Qt::Key_Escape);
            QTRY_VERIFY(!m_window->findChild<KeptVersionDialog *>());
            const QByteArray original =
                TestHome::header(m_home->id(1)) +
                "\n\n<body style=3D\"word-wrap: break-word;\"><div>Ada =E2=80=94 at home</div></body>";
            QCOMPARE(TestHome::read(m_home->file(1)), restore ? original : current);
            QTRY_VERIFY_WITH_TIMEOUT(preview().contains(restore ? u"at home"_s : u"Grace Hopper"_s), 15000);
        }
        m_window->move(at);
        QVERIFY(TestHome::isLocked(m_home->file(1)));
    }
    void notesFollowTheSignature()
    {
        SignatureRenderNotes *line = content()->previewPane()->notes();
        click(2);
        QTRY_VERIFY(line->isHidden());
        const int top = previewTop();
        copy(u"<p>A. <img src=\"http://x.example/a.png\"><script>x()</script></p>"_s);
        QTest::mouseClick(button(), Qt::LeftButton);
        QTRY_VERIFY(line->isVisible());
        QCOMPARE(previewTop(), top); // the line moves nothing
        QCOMPARE(line->accessibleName(), u"2 notes on this signature"_s);
        // The keyboard opens the list and reads it; Escape closes it.
        line->setFocus();
        QTest::keyClick(line, Qt::Key_Space);
        QTRY_VERIFY(line->popover() && line->popover()->isVisible());
        const QListWidget *list = line->popover()->list();
        QVERIFY(list->count() == 2 && QApplication::focusWidget() == list);
        QCOMPARE(list->item(0)->text(), SignatureNote::of(SignatureNote::Kind::PlainHttp).sentence);
        QCOMPARE(list->item(1)->text(), SignatureNote::of(SignatureNote::Kind::Script).sentence);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!line->popover()->isVisible());
        // A signature without notes shows nothing; the inserted one, read back, shows them again.
        click(0);
        QTRY_VERIFY(line->isHidden());
        click(2);
        QTRY_VERIFY(line->isVisible() && line->text() == u"2 notes on this signature"_s);
    }
    void putBackWhatWasReplaced()
    {
        click(0);
        QVERIFY(engine().insertSignature(u"<p>Ours</p>"_s));
        const QString file = m_home->file(0), synced = file + u".sync"_s;
        const QByteArray inserted = TestHome::read(file);
        for (const bool fromMenu : {false, true}) {
            // As a sync replaces a file: a new one renamed over it.
            QVERIFY(TestHome::lock(file, false) &&
                    TestHome::write(synced, TestHome::header(m_home->id(0)) + "\n\n<p>Theirs</p>") &&
                    ::rename(QFile::encodeName(synced), QFile::encodeName(file)) == 0);
            engine().loadSignatures();
            click(0);
            QCOMPARE(message()->text(), u"Mail or another Mac replaced \"Work\" after you inserted it."_s);
            QVERIFY(rowText(0) == u"Work, Replaced since you inserted it"_s && inked(0, 0));
            QVERIFY(putBack()->isVisible() && putBack()->isEnabled() &&
                    putBack()->accessibleName() == u"Put Back"_s);
            if (fromMenu) {
                emit list()->rowsView()->customContextMenuRequested(list()->rowRect(0).center());
                auto *menu = list()->findChild<QMenu *>();
                QVERIFY(menu->actions().last()->text() == u"Put Back"_s &&
                        menu->actions().last()->isEnabled());
                menu->actions().last()->trigger();
                menu->close();
            } else {
                QTest::mouseClick(putBack(), Qt::LeftButton);
            }
            QVERIFY(TestHome::read(file) == inserted && TestHome::isLocked(file));
            QVERIFY(rowText(0) == u"Work"_s && !inked(0, 0) && putBack()->isHidden() &&
                    message()->isHidden());
        }
    }
    void versionWordsLoadNothing_data()
    {
        QTest::addColumn<QString>("html"); // %1: a FIFO that blocks whoever opens it
        QTest::addColumn<QString>("words");
        row("/dev/zero as background and image",
            u"<img src=\"/dev/zero\"><p style=\"background-image:url(/dev/zero)\">Ada Lovelace</p>"_s,
            u"Ada Lovelace"_s);
        row("FIFO image, style sheet and background",
            u"<table background=\"%1\"><tr><td><img src=\"file://%1\">Grace &lt;b&gt; Hopper</td></tr>"
            "</table><link rel=stylesheet href=\"%1\">"_s,
            u"Grace <b> Hopper"_s);
        row("10 MB: only the start is read", u"<p>Big start</p>"_s + u"<p>x</p>"_s.repeated(1'400'000),
            u"Big start x x x x x x\u2026"_s);
        row("words only after 64 KB of markup", u"<b></b>"_s.repeated(10000) + u"<p>Beyond</p>"_s, QString());
    }
    void versionWordsLoadNothing()
    {
        QFETCH(QString, html);
        QFETCH(QString, words);
        const QString fifo = m_home->path() + u"/fifo"_s;
        QVERIFY(QFile::exists(fifo) || QProcess::execute(u"mkfifo"_s, {fifo}) == 0);
        const QByteArray file = *SignatureFileFormat::compose(TestHome::header(u"X"_s),
                                                              html.contains(u"%1") ? html.arg(fifo) : html);
        QCOMPARE(KeptVersionItemModel::firstWords(file), words);
    }
    void namesShowAsTyped()
    {
        // A name holding HTML shows as typed where Qt would guess rich text: tool tips, the dialog's prompt.
        const QString name = u"<b>Bold</b> &amp; <i>it</i>"_s;
        m_home->writeList({{m_home->id(1), name}});
        engine().loadSignatures();
        QTRY_VERIFY(list()->unlockButton(0));
        for (const auto &[toolTip, shown] :
             {std::pair{list()->model()->index(0).data(Qt::ToolTipRole).toString(), name},
              {list()->unlockButton(0)->toolTip(), u"Unlock "_s + name}})
            QCOMPARE(QTextDocumentFragment::fromHtml(toolTip).toPlainText(), shown);
        click(0);
        KeptVersionDialog dialog(engine(), content()->previewPane()->topbar()->mailMonitor(), nullptr);
        QCOMPARE(dialog.findChild<QLabel *>()->textFormat(), Qt::PlainText);
    }
    void iCloudRowsAreMarked()
    {
        const QString cloud =
            m_home->path() + u"/Library/Mobile Documents/com~apple~mail/Data/V4/Signatures"_s;
        QVERIFY(
            QDir().mkpath(cloud) &&
            TestHome::write(cloud + u"/AllSignatures.plist"_s, TestHome::listXml({{u"C"_s, u"Cloud"_s}})) &&
            TestHome::write(cloud + u"/C.mailsignature"_s, TestHome::header(u"C"_s) + "\n\n<p>Cloud</p>"));
        // Two accounts send it, as Mail's map of this Mac's store says.
        const QString account =
            u"<key>A%1</key><dict><key>AccountURL</key><string>imap://%2%40example.%3@imap."
            "example.com/</string><key>Signatures</key><array><string>C</string></array></dict>"_s;
        QVERIFY(TestHome::write(m_home->signatures() + u"/AccountsMap.plist"_s,
                                (u"<plist><dict>"_s + account.arg(u"1"_s, u"jane"_s, u"com"_s) +
                                 account.arg(u"2"_s, u"bob"_s, u"org"_s) + u"</dict></plist>"_s)
                                    .toUtf8()));
        engine().loadSignatures();
        const int row = list()->model()->rowOf(u"C"_s).value_or(-1);
        const QString usedBy = u"Used by jane@example.com, bob@example.org"_s;
        QVERIFY(rowText(row) == u"Cloud, Kept in iCloud Drive"_s && inked(row, 0));
        QCOMPARE(list()->model()->index(row).data(Qt::AccessibleDescriptionRole).toString(), usedBy);
        const QString toolTip = list()->model()->index(row).data(Qt::ToolTipRole).toString();
        QCOMPARE(QTextDocumentFragment::fromHtml(toolTip).toPlainText(),
                 u"Cloud\nKept in iCloud Drive\n"_s + usedBy);
    }
    void newSignatureFromClipboard()
    {
        const QString html = u"<div>Made from the <b>clipboard</b> \u2014 new</div>"_s;
        copy(html);
        const int rows = list()->model()->rowCount();
        for (const bool again : {false, true}) {
            m_window->activateWindow(); // for the shortcut
            QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
            if (again)
                newAction()->trigger();
            else
                QTest::keySequence(m_window.get(), QKeySequence::New);
            QTRY_VERIFY(sheet() && sheet()->isVisible());
            QVERIFY(sheet()->windowType() == Qt::Sheet && sheet()->windowModality() == Qt::WindowModal &&
                    sheet()->parentWidget() == m_window.get());
            QVERIFY(!sheet()->okButton()->isEnabled());
            QTest::keyClicks(sheet()->nameField(), u" "_s);
            QVERIFY(!sheet()->okButton()->isEnabled());
            QTest::keyClicks(sheet()->nameField(), u"Work"_s);
            QTest::mouseClick(sheet()->okButton(), Qt::LeftButton);
            QTRY_VERIFY(!sheet());
            QCOMPARE(list()->model()->rowCount(), rows + 1);
        }
        // The second time the name was in use: nothing new, and the top bar says why.
        QCOMPARE(message()->isHidden() ? QString() : message()->text(),
                 u"A signature named \"Work\" exists: insert into it, or choose another name."_s);
        const QString id = engine().selectionUiModel()->signature().get().value_or(SignatureModel{}).id;
        const int row = list()->model()->rowOf(id).value_or(-1);
        QVERIFY(selectedName() == u"Work"_s && selected(row));
        QVERIFY(TestHome::mimeDecoded({m_home->file(id)}) == QStringList{html} &&
                TestHome::isLocked(m_home->file(id)));
        QTRY_COMPARE_WITH_TIMEOUT(preview(), html, 15000);
    }
    void templateAsksForItsFields()
    {
        const int row = list()->model()->rowOf(m_home->id(1)).value_or(-1);
        list()->rowsView()->scrollTo(list()->model()->index(row)); // the new signature scrolled it away
        click(row);
        QCOMPARE(engine().selectionUiModel()->signature().get()->id, m_home->id(1));
        const QString file = m_home->file(1);
        QTRY_VERIFY_WITH_TIMEOUT(!preview().isEmpty(), 15000);
        const QString shown = preview();
        const QByteArray before = TestHome::read(file);
        copy(u"<p>{{name}}, {{{title}}}</p>{{#phone}}<p>{{phone}}</p>{{/phone}}"_s);
        const auto fields = [this] { return m_window->findChild<FieldsSheet *>(); };
        const auto fill = [&](const QString &name, const QString &value) {
            fields()->field(name)->selectAll();
            fields()->field(name)->insert(value); // as typed: keyClicks takes no accented letter
        };
        // Typed values show in the preview only; Escape writes nothing and shows the signature again.
        QTest::mouseClick(button(), Qt::LeftButton);
        QTRY_VERIFY(fields() && fields()->isVisible());
        QVERIFY(fields()->windowType() == Qt::Sheet && fields()->parentWidget() == m_window.get());
        QCOMPARE(fields()->field(u"name"_s)->text(), QString());
        fill(u"name"_s, u"Ada <&"_s);
        fill(u"title"_s, u"<b>Chief</b>"_s);
        QTRY_COMPARE_WITH_TIMEOUT(preview(), u"<p>Ada &lt;&amp;, <b>Chief</b></p>"_s, 15000);
        QTest::keyClick(fields(), Qt::Key_Escape);
        QTRY_VERIFY(!fields());
        QTRY_COMPARE_WITH_TIMEOUT(preview(), shown, 15000);
        QCOMPARE(TestHome::read(file), before);
        // Insert writes the filled HTML; the next template asks with the values given then.
        QTest::mouseClick(button(), Qt::LeftButton);
        QTRY_VERIFY(fields());
        fill(u"name"_s, u"J\u00fcrgen \"J\""_s);
        fill(u"title"_s, u"<i>CTO</i>"_s);
        fill(u"phone"_s, u"+1 555"_s);
        QTest::mouseClick(fields()->insertButton(), Qt::LeftButton);
        QTRY_VERIFY(!fields());
        const QString filled = u"<p>J\u00fcrgen &quot;J&quot;, <i>CTO</i></p><p>+1 555</p>"_s;
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{filled});
        QTRY_COMPARE_WITH_TIMEOUT(preview(), u"<p>J\u00fcrgen \"J\", <i>CTO</i></p><p>+1 555</p>"_s, 15000);
        QTest::mouseClick(button(), Qt::LeftButton);
        QTRY_VERIFY(fields());
        QCOMPARE(fields()->field(u"name"_s)->text(), u"J\u00fcrgen \"J\""_s);
        QCOMPARE(fields()->field(u"phone"_s)->text(), u"+1 555"_s);
        fields()->reject();
        QTRY_VERIFY(!fields());
        // Braces that make no template are inserted as they are.
        copy(u"<p>{{ unclosed</p>"_s);
        QTest::mouseClick(button(), Qt::LeftButton);
        QVERIFY(!fields());
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{u"<p>{{ unclosed</p>"_s});
    }
    void insertFromAFileOrADrop()
    {
        const int row = rowOf(1);
        click(row);
        const QString file = m_home->file(1);
        const QTemporaryDir dir;
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            const QString path = dir.path() + u'/' + name;
            return TestHome::write(path, bytes) ? path : QString();
        };
        const QString html = u"<p>From a <b>file</b> \u00e9</p>"_s;
        const QString chosen = write(u"chosen.html"_s, html.toUtf8());
        // File, Ctrl+O: the chooser's file goes into the selected signature.
        QAction *fromFile = fileAction(ContentView::insertFromFileText());
        QVERIFY(fromFile->isEnabled() && fromFile->shortcut() == QKeySequence(QKeySequence::Open));
        fromFile->trigger();
        auto *chooser = m_window->findChild<QFileDialog *>(u"InsertFromFileChooser"_s);
        QTRY_VERIFY(chooser && chooser->isVisible());
        chooser->selectFile(chosen);
        QTest::keyClick(chooser, Qt::Key_Return);
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{html});
        QVERIFY(TestHome::isLocked(file));
        // Dropped on the preview, past the page: refusals say why and change nothing.
        QWidget *page = content()->previewPane()->webView();
        const QPoint middle = page->rect().center();
        const QByteArray written = TestHome::read(file);
        for (const auto &[name, bytes, told] :
             {std::tuple{u"bad.html"_s, "<p>caf\xe9</p>"_ba,
                         u"bad.html is not UTF-8: the byte at offset 6 is not valid."_s},
              {u"blank.htm"_s, " \n"_ba, u"blank.htm holds no HTML: it is empty or only white space."_s},
              {u"notes.txt"_s, "<p>x</p>"_ba, u"Only an HTML file (.html or .htm) can be dropped here."_s}}) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(write(name, bytes))});
            QVERIFY(drop(page, middle, mime));
            QCOMPARE(message()->text(), told);
            QCOMPARE(TestHome::read(file), written);
        }
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(write(u"dropped.html"_s, "<p>Dropped</p>"))});
        QVERIFY(drop(page, middle, mime));
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{u"<p>Dropped</p>"_s});
        QTRY_COMPARE_WITH_TIMEOUT(preview(), u"<p>Dropped</p>"_s, 15000);
        // Dropped on another row: into that signature, which is selected.
        int other = 0;
        while (list()->model()->record(other)->name != u"Work"_s) // made from the clipboard earlier
            ++other;
        const QString otherId = list()->model()->record(other)->id;
        mime.setUrls({QUrl::fromLocalFile(write(u"row.html"_s, "<p>On the row</p>"))});
        QVERIFY(drop(list()->rowsView()->viewport(), list()->rowRect(other).center(), mime));
        QCOMPARE(engine().selectionUiModel()->signature().get()->id, otherId);
        QCOMPARE(TestHome::mimeDecoded({m_home->file(otherId)}), QStringList{u"<p>On the row</p>"_s});
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{u"<p>Dropped</p>"_s});
    }
    void undoTakesBackTheLastChange()
    {
        // Undo puts back the bytes from before the last insert, locked, and then has nothing left.
        click(rowOf(1));
        const QString file = m_home->file(1);
        const QByteArray before = TestHome::read(file);
        copy(u"<p>to be undone</p>"_s);
        QTest::mouseClick(button(), Qt::LeftButton);
        QVERIFY(TestHome::read(file) != before);
        QCOMPARE(undoAction()->text(), u"Undo Insert into \"%1\""_s.arg(selectedName()));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keySequence(m_window.get(), QKeySequence::Undo);
        QCOMPARE(TestHome::read(file), before);
        QVERIFY(TestHome::isLocked(file));
        QVERIFY(!undoAction()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(preview(), u"<p>Dropped</p>"_s, 15000);
    }
    void rootSwitchesTheSandboxOffAndSaysSo()
    {
        const QByteArray before = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        const bool root = ::geteuid() == 0;
        QCOMPARE(TestHome::printed(&ApplicationSetup::allowWebEngineAsRoot),
                 root
                     ? QStringList{u"Running as root: the web engine's sandbox is off, as Chromium's sandbox "
                                   u"does not run as root."_s}
                     : QStringList{});
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), root ? "1"_ba : QByteArray());
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", before);
    }

    void lightAndDark()
    {
        SignatureRenderTopbarAppearance *appearance = content()->previewPane()->topbar()->appearance();
        SignatureRenderAppearanceLine *line = content()->previewPane()->appearanceLine();
        auto *web = m_window->findChild<QWebEngineView *>();
        const auto background = [web] { return web->grab().toImage().pixel(200, web->height() - 10); };
        const QString ownColour = u"getComputedStyle(doc.querySelector('p')).color"_s;
        const QString inverted = u"getComputedStyle(document.querySelector('iframe')).filter"_s;
        // A signature with dark colours of its own, beside one without.
        click(2);
        copy(u"<meta name=\"color-scheme\" content=\"light dark\"><style>@media (prefers-color-scheme: dark)"
             " { p { color: rgb(200, 201, 202) } }</style><p>Dark-ready</p>"_s);
        QTest::mouseClick(button(), Qt::LeftButton);
        const QString file = m_home->file(engine().selectionUiModel()->signature().get()->id);
        const QByteArray bytes = TestHome::read(file);
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"Dark-ready"_s), 15000);
        QVERIFY(appearance->accessibleName() == u"Appearance"_s && appearance->lightButton()->isChecked() &&
                line->isHidden() && background() == qRgb(255, 255, 255));
        // From the keyboard: its own dark rules, on Mail's dark background.
        appearance->darkButton()->setFocus();
        QTest::keyClick(appearance->darkButton(), Qt::Key_Space);
        QVERIFY(appearance->darkButton()->isChecked() && line->isVisible());
        QCOMPARE(line->text(), u"The signature's own dark colours, as Mail shows them."_s);
        QTRY_COMPARE(PageProbe::inSignature(web->page(), ownColour).toString(), u"rgb(200, 201, 202)"_s);
        QTRY_COMPARE(background(), qRgb(30, 30, 30));
        QCOMPARE(PageProbe::inSignature(web->page(), inverted).toString(), u"none"_s);
        // One without: inverted, and said so.
        click(0);
        const QString other = m_home->file(engine().selectionUiModel()->signature().get()->id);
        const QByteArray otherBytes = TestHome::read(other);
        QTRY_COMPARE(PageProbe::inSignature(web->page(), inverted).toString(),
                     u"invert(1) hue-rotate(180deg)"_s);
        QCOMPARE(line->text(), u"Colours inverted: the signature has no dark colours."_s);
        QVERIFY(line->geometry().top() < content()->previewPane()->webView()->geometry().top());
        QTRY_COMPARE(background(), qRgb(30, 30, 30));
        QTest::mouseClick(appearance->lightButton(), Qt::LeftButton);
        QTRY_COMPARE(background(), qRgb(255, 255, 255));
        QVERIFY(line->isHidden());
        QVERIFY(TestHome::read(file) == bytes && TestHome::read(other) == otherBytes);
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Vellix_Mac_MailApp> m_window;
};

int main(int argc, char *argv[])
{
    ApplicationSetup::prepare();
    QApplication application(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
