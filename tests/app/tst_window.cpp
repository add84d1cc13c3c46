// The program driven through its window as a user would: the list, the top bar, the notes and the
// appearance; each case on a fresh home and window.
#include "store/SignatureFileFormat.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/app/WindowDriver.h"
#include "ui/SignatureActions.h"
#include "ui/list/SignatureRowDelegate.h"
#include "ui/list/SignatureUnlockButton.h"
#include "ui/render/SignatureNotesPopover.h"
#include "ui/render/SignatureRenderAppearanceLine.h"
#include "ui/render/SignatureRenderNotes.h"
#include "ui/render/SignatureRenderTopbarAppearance.h"
#include "ui/restore/KeptVersionDialog.h"

#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

#include <unistd.h>

class TestWindow : public QObject, public WindowDriver
{
    Q_OBJECT
public:
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

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        open(QTest::currentTestFunction() != "firstStartAsksForTheFolder"_L1);
    }
    void cleanup() { close(); }
    void firstStartAsksForTheFolder()
    {
        const QString authorize = u"Authorize Access to Mail Signature folder"_s;
        QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
        QCOMPARE(tuple(list()->model()->rowCount(), button()->text(), newAction()->isEnabled()),
                 tuple(0, authorize, false));
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
        QCOMPARE(
            tuple(button()->text(), button()->isEnabled(), engine().accessAuthorize()->isAuthorized().get()),
            tuple(authorize, true, false));
        QTest::mouseClick(button(), Qt::LeftButton);
        QTRY_COMPARE(FolderChooserDriver::openChoosers().size(), 1);
        QVERIFY(FolderChooserDriver::confirm(FolderChooserDriver::openChoosers().first(), m_home->mail()));
        QTRY_COMPARE(list()->model()->rowCount(), 3);
        QCOMPARE(tuple(index(2).data().toString(), button()->text(), button()->isEnabled(),
                       newAction()->isEnabled()),
                 tuple(m_home->name(2), u"Insert Signature from Clipboard"_s, false, true));
    }
    void rowsSelectAndPreview()
    {
        click(0);
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"<b>Ada Lovelace</b>"_s), 30000);
        QCOMPARE(tuple(button()->isEnabled(), selected(0)), tuple(true, true));
        // Nothing changed yet in this run: nothing to undo.
        QCOMPARE(tuple(undoAction()->isEnabled(), undoAction()->text()), tuple(false, u"Undo Insert"_s));
        // Anywhere in a row selects it: the name, the gap, the empty lock slot, the insets.
        const QRect r = list()->rowRect(2), slot = list()->lockRect(2);
        for (const QPoint &at :
             {QPoint(r.left() + 8, r.center().y()), QPoint(slot.left() - 12, r.center().y()), slot.center(),
              QPoint(r.center().x(), r.top() + 1), r.bottomRight() - QPoint(1, 1)}) {
            click(1);
            click(2, at);
            QCOMPARE(tuple(selected(2), selected(1), selectedName()), tuple(true, false, m_home->name(2)));
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
        QTRY_VERIFY_WITH_TIMEOUT(
            preview().contains(u"Katherine Johnson"_s) && preview().contains(u"?id=12345"_s), 15000);
        QTRY_VERIFY(list()->unlockButton(1) && !list()->unlockButton(0)); // locked, as the store suite pins
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
        QCOMPARE(tuple(selected(0), alert()->text(), bool(alert()->button(QMessageBox::Cancel))),
                 tuple(true, u"File is Locked?"_s, true));
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
        // Its web module only beside the program or in the bundle's PlugIns; else one line (Qt's log tells).
        const QString name = QFileInfo(QStringLiteral(SIGNATURES_PREVIEW_MODULE)).fileName();
        for (const bool inPlugIns : {false, true}) {
            QTemporaryDir bare;
            const QString program = bare.filePath(u"MacOS/signature-inserter"_s),
                          module = bare.filePath(u"PlugIns/"_s + name);
            QVERIFY(QDir(bare.path()).mkpath(u"MacOS"_s) && QDir(bare.path()).mkpath(u"PlugIns"_s));
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
        QCOMPARE(tuple(selectedName(), list()->unlockButton(2)->accessibleName()),
                 tuple(m_home->name(2), u"Unlock Short"_s));
        QCOMPARE(QApplication::focusWidget(), view); // an arrow onto a locked row keeps the focus in the list
        QTest::keyClick(view, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), list()->unlockButton(2));
        QTest::keyClick(list()->unlockButton(2), Qt::Key_Space);
        QTRY_VERIFY(alert());
        QTest::keyClick(alert(), Qt::Key_Escape); // cancels: nothing changes
        QTRY_VERIFY(!alert());
        QCOMPARE(tuple(TestHome::isLocked(m_home->file(2)), selectedName()), tuple(true, m_home->name(2)));
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
        QTRY_VERIFY(line->popover() && line->popover()->isVisible());
        const QListWidget *list = line->popover()->list();
        QCOMPARE(tuple(list->count(), QApplication::focusWidget()), tuple(2, (QWidget *)list));
        // The notes of plain http and of script, in that order (their sentences are the notes suite's).
        QVERIFY2(list->item(0)->text().contains(u"plain http"_s), qPrintable(list->item(0)->text()));
        QVERIFY2(list->item(1)->text().contains(u"script"_s), qPrintable(list->item(1)->text()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!line->popover()->isVisible());
        // A signature without notes shows nothing; the inserted one, read back, shows them again.
        click(0);
        QTRY_VERIFY(line->isHidden());
        click(2);
        QTRY_COMPARE(line->isVisible() ? line->text() : QString(), u"2 notes on this signature"_s);
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
            QCOMPARE(tuple(rowText(0), inked(0, 0)), tuple(u"Work, Replaced since you inserted it"_s, true));
            QCOMPARE(tuple(putBack()->isVisible(), putBack()->isEnabled(), putBack()->accessibleName()),
                     tuple(true, true, u"Put Back"_s));
            if (fromMenu) {
                emit list()->rowsView()->customContextMenuRequested(list()->rowRect(0).center());
                auto *menu = list()->findChild<QMenu *>();
                QCOMPARE(tuple(menu->actions().last()->text(), menu->actions().last()->isEnabled()),
                         tuple(u"Put Back"_s, true));
                menu->actions().last()->trigger();
                menu->close();
            } else {
                QTest::mouseClick(putBack(), Qt::LeftButton);
            }
            QCOMPARE(TestHome::state(file), TestHome::State(inserted, true));
            QCOMPARE(tuple(rowText(0), inked(0, 0), putBack()->isHidden(), message()->isHidden()),
                     tuple(u"Work"_s, false, true, true));
        }
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
        QVERIFY(QDir().mkpath(QFileInfo(m_home->preferences()).absolutePath()) &&
                TestHome::write(m_home->preferences(),
                                "<plist><dict><key>SignaturesSelected</key><dict><key>A1"
                                "</key><string>C</string></dict></dict></plist>"));
        engine().loadSignatures();
        const int row = list()->model()->rowOf(u"C"_s).value_or(-1);
        const QString usedBy = u"Used by jane@example.com, bob@example.org"_s;
        QCOMPARE(
            tuple(rowText(row), inked(row, 0), index(row).data(Qt::AccessibleDescriptionRole).toString()),
            tuple(u"Cloud, Kept in iCloud Drive"_s, true, usedBy));
        QCOMPARE(QTextDocumentFragment::fromHtml(index(row).data(Qt::ToolTipRole).toString()).toPlainText(),
                 u"Cloud\nKept in iCloud Drive\n"_s + usedBy + u"\nChosen for jane@example.com"_s);
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
        const auto background = [this] { return pixel(200, view()->height() - 10); };
        const QString ownColour = u"getComputedStyle(doc.querySelector('p')).color"_s;
        const QString inverted = u"getComputedStyle(document.querySelector('iframe')).filter"_s;
        // A signature with dark colours of its own, beside one without.
        click(2);
        insert(
            u"<meta name=\"color-scheme\" content=\"light dark\"><style>@media (prefers-color-scheme: dark)"
            " { p { color: rgb(200, 201, 202) } }</style><p>Dark-ready</p>"_s);
        const TestHome::Snapshot files = TestHome::snapshot(m_home->signatures()); // a look writes nothing
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"Dark-ready"_s), 15000);
        QCOMPARE(tuple(appearance->accessibleName(), appearance->lightButton()->isChecked(), line->isHidden(),
                       background()),
                 tuple(u"Appearance"_s, true, true, qRgb(255, 255, 255)));
        // From the keyboard: its own dark rules, on Mail's dark background.
        appearance->darkButton()->setFocus();
        QTest::keyClick(appearance->darkButton(), Qt::Key_Space);
        QCOMPARE(tuple(appearance->darkButton()->isChecked(), line->isVisible(), line->text()),
                 tuple(true, true, u"The signature's own dark colours, as Mail shows them."_s));
        QTRY_COMPARE(PageProbe::inSignature(view()->page(), ownColour).toString(), u"rgb(200, 201, 202)"_s);
        QTRY_COMPARE(background(), qRgb(30, 30, 30));
        QCOMPARE(PageProbe::inSignature(view()->page(), inverted).toString(), u"none"_s);
        // One without: inverted, and said so.
        click(0);
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
        QVERIFY(TestHome::snapshot(m_home->signatures()) == files);
    }
};

WINDOW_TEST_MAIN(TestWindow)
#include "tst_window.moc"
