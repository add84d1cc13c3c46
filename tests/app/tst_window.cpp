// The program driven through its window as a user would; each case on a fresh home and window.
#include "access/FolderAccess.h"
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/access/FolderChooserDriver.h"
#include "tests/common/TestHome.h"
#include "tests/preview/PageProbe.h"
#include "ui/SignatureActions.h"
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
#include <QWebEngineView>

#include <unistd.h>

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
    QWebEngineView *view() const { return m_window->findChild<QWebEngineView *>(); }
    QString preview() const { return PageProbe::containerHtml(view()->page()); }
    QModelIndex index(int row) const { return list()->model()->index(row); }
    bool selected(int row) const { return index(row).data(SignatureItemModel::SelectedRole).toBool(); }
    std::optional<SignatureModel> selection() const { return engine().selectionUiModel()->signature().get(); }
    QString selectedName() const { return selection().value_or(SignatureModel{}).name; }
    void click(int row, QPoint at = {}) const
    {
        QTest::mouseClick(list()->rowsView()->viewport(), Qt::LeftButton, {},
                          at.isNull() ? list()->rowRect(row).center() : at);
    }
    QString rowText(int row) const { return index(row).data(Qt::AccessibleTextRole).toString(); }
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
    void insert(const QString &html) const
    {
        copy(html);
        QTest::mouseClick(button(), Qt::LeftButton);
    }
    QMessageBox *alert() const
    {
        const auto alerts = m_window->findChildren<QMessageBox *>();
        const auto open =
            std::find_if(alerts.begin(), alerts.end(), [](QMessageBox *box) { return box->isVisible(); });
        return open == alerts.end() ? nullptr : *open;
    }
    // The File menu's action of that text; none when the menu has none such.
    QAction *fileAction(const QString &text) const
    {
        const QList<QAction *> actions = m_window->menuBar()->actions().first()->menu()->actions();
        const auto found =
            std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text() == text; });
        return found == actions.end() ? nullptr : *found;
    }
    // As the File menu shows it: it is brought up to date as the menu opens.
    QAction *restoreAction() const
    {
        emit m_window->menuBar()->actions().first()->menu()->aboutToShow();
        return fileAction(u"Restore Previous Version\u2026"_s);
    }
    QAction *undoAction() const { return m_window->menuBar()->actions().at(1)->menu()->actions().first(); }
    int rowOf(int sample) const
    {
        const int row = list()->model()->rowOf(m_home->id(sample)).value_or(-1);
        list()->rowsView()->scrollTo(index(row));
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
    QAction *newAction() const { return fileAction(u"New Signature from Clipboard\u2026"_s); }
    NewSignatureSheet *sheet() const { return m_window->findChild<NewSignatureSheet *>(); }
    bool activate() const
    {
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }

private slots:
    // Each case alone: Mail's sample in a new home, authorised (but on the first start), no clipboard.
    void init()
    {
        m_home = std::make_unique<TestHome>();
        const bool authorised = QTest::currentTestFunction() != "firstStartAsksForTheFolder"_L1;
        if (authorised)
            TestHome::printed([this] { FolderAccess::saveFolderBookmark(m_home->mail()); }); // quietly
        QGuiApplication::clipboard()->clear();
        m_window = std::make_unique<Vellix_Mac_MailApp>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        // The web view comes after the first frame and shows once its page can take signatures.
        QTRY_VERIFY_WITH_TIMEOUT(view(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(view()->isVisible(), 30000);
        if (authorised)
            QTRY_COMPARE(list()->model()->rowCount(), 3);
    }
    void cleanup()
    {
        FolderChooserDriver::closeAll();
        m_window.reset();
        m_home.reset();
    }
    void firstStartAsksForTheFolder()
    {
        const QString authorize = u"Authorize Access to Mail Signature folder"_s;
        QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
        QCOMPARE(list()->model()->rowCount(), 0);
        QCOMPARE(button()->text(), authorize);
        QVERIFY(!newAction()->isEnabled());
        // Modal to the window, and one at a time: asking again brings up the same one.
        QFileDialog *chooser = FolderChooserDriver::openChoosers().first();
        QCOMPARE(chooser->windowModality(), Qt::WindowModal);
        QCOMPARE(chooser->parentWidget(), m_window.get());
        QTest::mouseClick(button(), Qt::LeftButton);
        SignatureActions::authorize(engine());
        QCOMPARE(FolderChooserDriver::openChoosers(), QList<QFileDialog *>{chooser});
        // Cancelled, nothing changes; the button asks again.
        QVERIFY(FolderChooserDriver::cancel(FolderChooserDriver::openChoosers().first()));
        QTRY_VERIFY(FolderChooserDriver::openChoosers().isEmpty());
        QCOMPARE(button()->text(), authorize);
        QVERIFY(button()->isEnabled());
        QVERIFY(!engine().accessAuthorize()->isAuthorized().get());
        QTest::mouseClick(button(), Qt::LeftButton);
        QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
        QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().first(), m_home->mail()));
        QTRY_COMPARE(list()->model()->rowCount(), 3);
        QCOMPARE(index(2).data().toString(), m_home->name(2));
        QCOMPARE(button()->text(), u"Insert Signature from Clipboard"_s);
        QVERIFY(!button()->isEnabled());
        QVERIFY(newAction()->isEnabled());
    }
    void rowsSelectAndPreview()
    {
        click(0);
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"<b>Ada Lovelace</b>"_s), 30000);
        QVERIFY(button()->isEnabled());
        QVERIFY(selected(0));
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
            QVERIFY(selected(2));
            QVERIFY(!selected(1));
            QCOMPARE(selectedName(), m_home->name(2));
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
        QTRY_VERIFY(message()->isVisible()); // in words the store suite pins
        QVERIFY(preview().contains(u"at home"_s));
        // Pretty-printed, with a link a careless encoder would garble; previewed as inserted, undecoded.
        const QString file = u"file:///Applications/Calculator.app"_s;
        const QString html =
            u"<a href=\"%1\" style=\"display:block;height:40px\">f</a><div>\n\n<b>Katherine"
            " Johnson</b> it's =3D <a href=\"https://x.example/?id=12345\">NASA</a></div>"_s.arg(file);
        insert(html);
        QCOMPARE(TestHome::read(m_home->file(1)), *SignatureFileFormat::compose(published->header, html));
        QVERIFY(message()->isHidden()); // the retry worked: the failure is no longer told
        QTRY_COMPARE_WITH_TIMEOUT(preview(), html, 15000);
        // A link the system is not asked to open is told in the top bar.
        QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, QPoint(100, 28));
        QTRY_COMPARE(message()->text(),
                     u"Links to \u201cfile:\u201d are not opened; only web, e-mail and phone links are."_s);
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"Katherine Johnson"_s), 15000);
        QVERIFY(preview().contains(u"?id=12345"_s));
        QTRY_VERIFY(list()->unlockButton(1)); // locked, as the store suite pins
        QVERIFY(!list()->unlockButton(0));
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
        // Locked by another program, as an insert leaves it.
        QVERIFY(TestHome::lock(m_home->file(1)));
        engine().loadSignatures();
        QTRY_VERIFY(list()->unlockButton(1));
        // The padlock is no click on the row; its alert has the standard Cancel (Escape, below) and Confirm.
        click(0);
        QTest::mouseClick(list()->unlockButton(1), Qt::LeftButton);
        QTRY_VERIFY(alert());
        QVERIFY(selected(0));
        QCOMPARE(alert()->text(), u"File is Locked?"_s);
        QVERIFY(alert()->button(QMessageBox::Cancel));
        const QList<QAbstractButton *> buttons = alert()->buttons();
        const auto confirm = std::find_if(buttons.begin(), buttons.end(), [](QAbstractButton *b) {
            return b->text().remove(u'&') == u"Confirm"_s;
        });
        QCOMPARE(alert()->buttonRole(*confirm), QMessageBox::DestructiveRole);
        QTest::mouseClick(*confirm, Qt::LeftButton);
        QTRY_VERIFY(!alert());
        QTRY_VERIFY(!list()->unlockButton(1));
        QVERIFY(!TestHome::isLocked(m_home->file(1)));
    }
    void previewModuleWhereTheProgramIs()
    {
        // Its web module only beside the program or in the bundle's PlugIns; else one line (Qt's log tells).
        const QString name = QFileInfo(QStringLiteral(SIGNATURES_PREVIEW_MODULE)).fileName();
        for (const bool inPlugIns : {false, true}) {
            QTemporaryDir bare;
            const QString program = bare.filePath(u"MacOS/signature-inserter"_s),
                          module = bare.filePath(u"PlugIns/"_s + name);
            QVERIFY(QDir(bare.path()).mkpath(u"MacOS"_s));
            QVERIFY(QDir(bare.path()).mkpath(u"PlugIns"_s));
            QVERIFY(QFile::copy(QStringLiteral(SIGNATURES_PROGRAM), program));
            if (inPlugIns)
                QVERIFY(QFile::copy(QStringLiteral(SIGNATURES_PREVIEW_MODULE), module));
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"HOME"_s, bare.path());
            environment.insert(u"QT_LOGGING_RULES"_s, u"qt.core.library.debug=true"_s);
            process.setProcessEnvironment(environment);
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(program);
            QTRY_VERIFY2_WITH_TIMEOUT(process.peek(1 << 20).contains("not loaded") ||
                                          process.peek(1 << 20).contains("loaded library"),
                                      "the module said to be loaded or not", 20000);
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
        // An insert of this run, for Undo and for a version to restore.
        click(1);
        QVERIFY(engine().insertSignature(u"<p>before Mail</p>"_s));
        copy(u"<p>while Mail runs</p>"_s);
        for (const QString &way : {u"insert"_s, u"restore"_s, u"new"_s, u"undo"_s}) {
            const bool restoring = way == u"restore"_s;
            click(1);
            QTRY_VERIFY_WITH_TIMEOUT(button()->isEnabled(), 10000);
            QTRY_VERIFY(message()->isHidden());
            const QByteArray before = TestHome::read(m_home->file(1));
            if (restoring)
                restoreAction()->trigger();
            const auto *dialog = m_window->findChild<KeptVersionDialog *>();
            QProcess mail;
            mail.start(TestHome::fakeApp(m_home->path(), u"Mail"_s, u"com.apple.mail"_s), {u"60"_s});
            // Before the once-a-second poll has seen Mail: the click or the key itself looks, and says so.
            QVERIFY(mail.waitForStarted());
            QVERIFY(button()->isEnabled());
            QCOMPARE(bool(dialog), restoring);
            if (restoring) // the oldest version, not what the file holds
                QTest::keySequence(dialog->versions(), QKeySequence(Qt::Key_End, Qt::Key_Return));
            else if (way == u"new"_s) // refused before a name is asked
                newAction()->trigger();
            else if (way == u"undo"_s) // the insert before the loop is there to undo
                undoAction()->trigger();
            else
                QTest::mouseClick(button(), Qt::LeftButton);
            QCOMPARE(TestHome::read(m_home->file(1)), before);
            QVERIFY(!sheet());
            const QString refusal = u"Mail was running, so nothing was changed."_s;
            QTRY_COMPARE_WITH_TIMEOUT(message()->isHidden() ? QString() : message()->text(), refusal, 3000);
            QTRY_VERIFY(!button()->isEnabled());
            click(1); // a new look at the signature: Mail's state is what is left to say
            QVERIFY(!message()->isHidden());
            QVERIFY2(message()->text() != refusal, "Mail's state, no longer the refusal");
            mail.kill();
            QTRY_VERIFY_WITH_TIMEOUT(message()->isHidden(), 10000);
            QTRY_VERIFY(button()->isEnabled());
        }
    }
    void keyboardDrivesTheList()
    {
        QListView *view = list()->rowsView();
        QVERIFY(activate());
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
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"at home"_s), 15000);
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
        QCOMPARE(QApplication::focusWidget(), view); // an arrow onto a locked row keeps the focus in the list
        QTest::keyClick(view, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), list()->unlockButton(2));
        QTest::keyClick(list()->unlockButton(2), Qt::Key_Space);
        QTRY_VERIFY(alert());
        QTest::keyClick(alert(), Qt::Key_Escape); // cancels: nothing changes
        QTRY_VERIFY(!alert());
        QVERIFY(TestHome::isLocked(m_home->file(2)));
        QCOMPARE(selectedName(), m_home->name(2));
    }
    void restoreAPreviousVersion()
    {
        click(2); // never replaced: nothing to restore
        QVERIFY(restoreAction());
        QVERIFY(!restoreAction()->isEnabled());
        click(1);
        const QByteArray original = TestHome::read(m_home->file(1)); // as Mail wrote it
        // An insert and an unlock before, each kept as a version.
        QVERIFY(engine().insertSignature(u"<p>Katherine Johnson</p>"_s));
        engine().unlockSignature(m_home->id(1));
        QVERIFY(restoreAction()->isEnabled());
        // Inserted without a new look at the row: the dialog and Cancel show the file as it now is.
        insert(u"<p>Grace Hopper</p>"_s);
        const QByteArray current = TestHome::read(m_home->file(1));
        QWidget *previewPane = content()->previewPane();
        const QPoint at = m_window->pos();
        for (const bool restore : {false, true}) {
            // Rows read whole; without room left of the window, under half the preview is covered, else none.
            m_window->move(restore ? 400 : 0, at.y());
            restoreAction()->trigger();
            KeptVersionDialog *dialog = nullptr;
            QTRY_VERIFY((dialog = m_window->findChild<KeptVersionDialog *>()));
            QTRY_VERIFY(dialog->isVisible());
            const QRect frame = dialog->frameGeometry(),
                        listArea(list()->mapToGlobal(QPoint()), list()->size()),
                        previewArea(previewPane->mapToGlobal(QPoint()), previewPane->size());
            QCOMPARE_LE(frame.left(), listArea.left());
            QCOMPARE_GE(frame.right(), listArea.right());
            QCOMPARE_LT(frame.right(), previewArea.center().x());
            if (restore)
                QVERIFY(!frame.intersects(previewArea));
            const QListView *versions = dialog->versions();
            const int textMargins = 2 * (versions->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
            QStringList kinds; // newest first: each insert, the unlock, and the file before the first insert
            for (int row = 0; row < versions->model()->rowCount(); ++row) {
                const QModelIndex index = versions->model()->index(row, 0);
                kinds << index.data().toString().section(u',', 0, 0);
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
            const QString titled =
                dialog->windowTitle() + u" \u2014 "_s + QGuiApplication::applicationDisplayName();
            QVERIFY(title.horizontalAdvance(titled) + 6 * title.height() <= frame.width());
            QCOMPARE(kinds,
                     (QStringList{u"Inserted"_s, u"Kept when unlocked"_s, u"Inserted"_s, u"Original"_s}));
            QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"Grace Hopper"_s), 15000);
            QVERIFY(!dialog->restoreButton()->isEnabled());   // none chosen yet
            QTest::keyClick(dialog->versions(), Qt::Key_End); // the original, as Mail wrote it
            QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"at home"_s), 15000);
            QTest::keyClick(dialog->versions(), restore ? Qt::Key_Return : Qt::Key_Escape);
            QTRY_VERIFY(!m_window->findChild<KeptVersionDialog *>());
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
        insert(u"<p>A. <img width=9 src=\"http://x.example/a.png\"><script>x()</script></p>"_s);
        QTRY_VERIFY(line->isVisible());
        QCOMPARE(previewTop(), top); // the line moves nothing
        QCOMPARE(line->accessibleName(), u"2 notes on this signature"_s);
        QTRY_COMPARE(line->size(), line->sizeHint()); // its words fit
        // The keyboard opens the list and reads it; Escape closes it.
        line->setFocus();
        QTest::keyClick(line, Qt::Key_Space);
        QTRY_VERIFY(line->popover());
        QTRY_VERIFY(line->popover()->isVisible());
        const QListWidget *list = line->popover()->list();
        QCOMPARE(list->count(), 2);
        QCOMPARE(QApplication::focusWidget(), list);
        // The notes of plain http and of script, in that order (their sentences are the notes suite's).
        QVERIFY2(list->item(0)->text().contains(u"plain http"_s), qPrintable(list->item(0)->text()));
        QVERIFY2(list->item(1)->text().contains(u"script"_s), qPrintable(list->item(1)->text()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!line->popover()->isVisible());
        // A signature without notes shows nothing; the inserted one, read back, shows them again.
        click(0);
        QTRY_VERIFY(line->isHidden());
        click(2);
        QTRY_VERIFY(line->isVisible());
        QCOMPARE(line->text(), u"2 notes on this signature"_s);
        // Undone, the file read again for the same selection has none: at once, not once the
        // folder's watch reloads the list a second later.
        QVERIFY(engine().undoSelected());
        QCoreApplication::processEvents();
        QVERIFY(line->isHidden());
    }
    void putBackWhatWasReplaced()
    {
        click(0);
        QVERIFY(engine().insertSignature(u"<p>Ours</p>"_s));
        const QString file = m_home->file(0), synced = file + u".sync"_s;
        const QByteArray inserted = TestHome::read(file);
        for (const bool fromMenu : {false, true}) {
            // As a sync replaces a file: a new one renamed over it.
            QVERIFY(TestHome::lock(file, false));
            QVERIFY(TestHome::write(synced, TestHome::header(m_home->id(0)) + "\n\n<p>Theirs</p>"));
            QCOMPARE(::rename(QFile::encodeName(synced), QFile::encodeName(file)), 0);
            engine().loadSignatures();
            click(0);
            QCOMPARE(message()->text(), u"Mail or another Mac replaced \"Work\" after you inserted it."_s);
            QCOMPARE(rowText(0), u"Work, Replaced since you inserted it"_s);
            QVERIFY(inked(0, 0));
            QVERIFY(putBack()->isVisible());
            QVERIFY(putBack()->isEnabled());
            QCOMPARE(putBack()->accessibleName(), u"Put Back"_s);
            if (fromMenu) {
                emit list()->rowsView()->customContextMenuRequested(list()->rowRect(0).center());
                auto *menu = list()->findChild<QMenu *>();
                QCOMPARE(menu->actions().last()->text(), u"Put Back"_s);
                QVERIFY(menu->actions().last()->isEnabled());
                menu->actions().last()->trigger();
                menu->close();
            } else {
                QTest::mouseClick(putBack(), Qt::LeftButton);
            }
            QCOMPARE(TestHome::state(file), TestHome::State(inserted, true));
            QCOMPARE(rowText(0), u"Work"_s);
            QVERIFY(!inked(0, 0));
            QVERIFY(putBack()->isHidden());
            QVERIFY(message()->isHidden());
        }
    }
    void versionWordsLoadNothing_data()
    {
        columns<QString, QString>(); // html (%1: a FIFO that blocks whoever opens it), its first words
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
        const auto [html, words] = fetch<QString, QString>();
        const QString fifo = m_home->path() + u"/fifo"_s;
        QCOMPARE(QProcess::execute(u"mkfifo"_s, {fifo}), 0);
        const QByteArray file = *SignatureFileFormat::compose(TestHome::header(u"X"_s),
                                                              html.contains(u"%1") ? html.arg(fifo) : html);
        QCOMPARE(KeptVersionItemModel::firstWords(file), words);
    }
    void namesShowAsTyped()
    {
        // A name holding HTML shows as typed where Qt would guess rich text: tool tips, the dialog's prompt.
        const QString name = u"<b>Bold</b> &amp; <i>it</i>"_s;
        m_home->writeList({{m_home->id(1), name}});
        QVERIFY(TestHome::lock(m_home->file(1))); // for a padlock's tool tip
        engine().loadSignatures();
        QTRY_VERIFY(list()->unlockButton(0));
        for (const auto &[toolTip, shown] : {std::pair{index(0).data(Qt::ToolTipRole).toString(), name},
                                             {list()->unlockButton(0)->toolTip(), u"Unlock "_s + name}})
            QCOMPARE(QTextDocumentFragment::fromHtml(toolTip).toPlainText(), shown);
        click(0);
        KeptVersionDialog dialog(engine(), content()->previewPane()->topbar()->mailMonitor(), nullptr);
        QCOMPARE(dialog.findChild<QLabel *>()->textFormat(), Qt::PlainText);
    }
    void iCloudRowsAreMarked()
    {
        QVERIFY(m_home->makeICloud({{u"C"_s, u"Cloud"_s}}));
        // Two accounts send it, as Mail's map of this Mac's store says.
        QVERIFY(TestHome::write(
            m_home->signatures() + u"/AccountsMap.plist"_s,
            TestHome::accountsMap(TestHome::account(u"A1"_s, u"imap://jane%40example.com@x/"_s, {u"C"_s}) +
                                  TestHome::account(u"A2"_s, u"imap://bob%40example.org@x/"_s, {u"C"_s}))));
        // Mail's preferences choose it for jane's account.
        QVERIFY(QDir().mkpath(QFileInfo(m_home->preferences()).absolutePath()));
        QVERIFY(TestHome::write(m_home->preferences(),
                                "<plist><dict><key>SignaturesSelected</key><dict><key>A1"
                                "</key><string>C</string></dict></dict></plist>"));
        engine().loadSignatures();
        const int row = list()->model()->rowOf(u"C"_s).value_or(-1);
        const QString usedBy = u"Used by jane@example.com, bob@example.org"_s;
        QCOMPARE(rowText(row), u"Cloud, Kept in iCloud Drive"_s);
        QVERIFY(inked(row, 0));
        QCOMPARE(index(row).data(Qt::AccessibleDescriptionRole).toString(), usedBy);
        const QString toolTip = index(row).data(Qt::ToolTipRole).toString();
        QCOMPARE(QTextDocumentFragment::fromHtml(toolTip).toPlainText(),
                 u"Cloud\nKept in iCloud Drive\n"_s + usedBy + u"\nChosen for jane@example.com"_s);
    }
    void newSignatureFromClipboard()
    {
        const QString html = u"<div>Made from the <b>clipboard</b> \u2014 new</div>"_s;
        copy(html);
        const int rows = list()->model()->rowCount();
        for (const bool again : {false, true}) {
            QVERIFY(activate()); // for the shortcut
            if (again)
                newAction()->trigger();
            else
                QTest::keySequence(m_window.get(), QKeySequence::New);
            QTRY_VERIFY(sheet());
            QTRY_VERIFY(sheet()->isVisible());
            QCOMPARE(sheet()->windowType(), Qt::Sheet);
            QCOMPARE(sheet()->windowModality(), Qt::WindowModal);
            QCOMPARE(sheet()->parentWidget(), m_window.get());
            QVERIFY(!sheet()->okButton()->isEnabled());
            QTest::keyClicks(sheet()->nameField(), u" "_s);
            QVERIFY(!sheet()->okButton()->isEnabled());
            QTest::keyClicks(sheet()->nameField(), u"Team"_s);
            QTest::mouseClick(sheet()->okButton(), Qt::LeftButton);
            QTRY_VERIFY(!sheet());
            QCOMPARE(list()->model()->rowCount(), rows + 1);
        }
        // The second time the name was in use: nothing new, and the top bar says why (as the stores pin).
        QVERIFY(!message()->isHidden());
        const QString id = selection().value_or(SignatureModel{}).id;
        const int row = list()->model()->rowOf(id).value_or(-1);
        QCOMPARE(selectedName(), u"Team"_s);
        QVERIFY(selected(row));
        QCOMPARE(TestHome::mimeDecoded({m_home->file(id)}), QStringList{html});
        QVERIFY(TestHome::isLocked(m_home->file(id)));
        QTRY_COMPARE_WITH_TIMEOUT(preview(), html, 15000);
    }
    void templateAsksForItsFields()
    {
        click(rowOf(1));
        QCOMPARE(selection()->id, m_home->id(1));
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
        QTRY_VERIFY(fields());
        QTRY_VERIFY(fields()->isVisible());
        QCOMPARE(fields()->windowType(), Qt::Sheet);
        QCOMPARE(fields()->parentWidget(), m_window.get());
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
        insert(u"<p>{{ unclosed</p>"_s);
        QVERIFY(!fields());
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{u"<p>{{ unclosed</p>"_s});
        // A template too deep to fill is refused as mailsig refuses it: no sheet, nothing written.
        insert(u"{{#name}}"_s.repeated(101) + u"{{/name}}"_s.repeated(101));
        QCOMPARE(message()->text(),
                 u"The template nests its sections more than 100 deep, so it was not filled."_s);
        QVERIFY(!fields());
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{u"<p>{{ unclosed</p>"_s});
    }
    void insertFromAFileOrADrop()
    {
        click(rowOf(1));
        const QString file = m_home->file(1);
        const QTemporaryDir dir;
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            const QString path = dir.path() + u'/' + name;
            return TestHome::write(path, bytes) ? path : QString();
        };
        const QString html = u"<p>From a <b>file</b> \u00e9</p>"_s;
        const QString chosen = write(u"chosen.html"_s, html.toUtf8());
        // File, Ctrl+O: the chooser's file goes into the selected signature.
        QAction *fromFile = fileAction(u"Insert Signature from File\u2026"_s);
        QVERIFY(fromFile);
        QVERIFY(fromFile->isEnabled());
        QCOMPARE(fromFile->shortcut(), QKeySequence(QKeySequence::Open));
        fromFile->trigger();
        auto *chooser = m_window->findChild<QFileDialog *>(u"InsertFromFileChooser"_s);
        QTRY_VERIFY(chooser);
        QTRY_VERIFY(chooser->isVisible());
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
        mime.setUrls({QUrl::fromLocalFile(write(u"row.html"_s, "<p>On the row</p>"))});
        QVERIFY(drop(list()->rowsView()->viewport(), list()->rowRect(rowOf(0)).center(), mime));
        QCOMPARE(selection()->id, m_home->id(0));
        QCOMPARE(TestHome::mimeDecoded({m_home->file(0)}), QStringList{u"<p>On the row</p>"_s});
        QCOMPARE(TestHome::mimeDecoded({file}), QStringList{u"<p>Dropped</p>"_s});
    }
    void undoTakesBackTheLastChange()
    {
        // Undo puts back the bytes from before the last insert, locked, and then has nothing left.
        click(rowOf(1));
        const QString file = m_home->file(1);
        const QByteArray before = TestHome::read(file);
        insert(u"<p>to be undone</p>"_s);
        QVERIFY(TestHome::read(file) != before); // written, as the next check undoes
        QCOMPARE(undoAction()->text(), u"Undo Insert into \"%1\""_s.arg(selectedName()));
        QVERIFY(activate());
        QTest::keySequence(m_window.get(), QKeySequence::Undo);
        QCOMPARE(TestHome::state(file), TestHome::State(before, true));
        QVERIFY(!undoAction()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"at home"_s), 15000);
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
        const auto background = [this] { return view()->grab().toImage().pixel(200, view()->height() - 10); };
        const QString ownColour = u"getComputedStyle(doc.querySelector('p')).color"_s;
        const QString inverted = u"getComputedStyle(document.querySelector('iframe')).filter"_s;
        // A signature with dark colours of its own, beside one without.
        click(2);
        insert(
            u"<meta name=\"color-scheme\" content=\"light dark\"><style>@media (prefers-color-scheme: dark)"
            " { p { color: rgb(200, 201, 202) } }</style><p>Dark-ready</p>"_s);
        const QString file = m_home->file(selection()->id);
        const QByteArray bytes = TestHome::read(file);
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"Dark-ready"_s), 15000);
        QCOMPARE(appearance->accessibleName(), u"Appearance"_s);
        QVERIFY(appearance->lightButton()->isChecked());
        QVERIFY(line->isHidden());
        QCOMPARE(background(), qRgb(255, 255, 255));
        // From the keyboard: its own dark rules, on Mail's dark background.
        appearance->darkButton()->setFocus();
        QTest::keyClick(appearance->darkButton(), Qt::Key_Space);
        QVERIFY(appearance->darkButton()->isChecked());
        QVERIFY(line->isVisible());
        QCOMPARE(line->text(), u"The signature's own dark colours, as Mail shows them."_s);
        QTRY_COMPARE(PageProbe::inSignature(view()->page(), ownColour).toString(), u"rgb(200, 201, 202)"_s);
        QTRY_COMPARE(background(), qRgb(30, 30, 30));
        QCOMPARE(PageProbe::inSignature(view()->page(), inverted).toString(), u"none"_s);
        // One without: inverted, and said so.
        click(0);
        const QString other = m_home->file(selection()->id);
        const QByteArray otherBytes = TestHome::read(other);
        QTRY_COMPARE(PageProbe::inSignature(view()->page(), inverted).toString(),
                     u"invert(1) hue-rotate(180deg)"_s);
        QCOMPARE(line->text(), u"Colours inverted: the signature has no dark colours."_s);
        // Above the preview, at the trailing edge, as wide as its new words.
        SignatureRender *pane = content()->previewPane();
        QVERIFY(line->mapTo(pane, QPoint(0, line->height())).y() <= pane->webView()->y());
        QTRY_COMPARE(line->width(), line->sizeHint().width());
        QCOMPARE(line->mapTo(pane, QPoint(line->width(), 0)).x(), pane->width());
        QTRY_COMPARE(background(), qRgb(30, 30, 30));
        QTest::mouseClick(appearance->lightButton(), Qt::LeftButton);
        QTRY_COMPARE(background(), qRgb(255, 255, 255));
        QVERIFY(line->isHidden());
        QCOMPARE(TestHome::read(file), bytes);
        QCOMPARE(TestHome::read(other), otherBytes);
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
