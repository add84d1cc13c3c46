// The window's menus as a user drives them: restore, undo, a new signature, a template's fields, HTML from
// a file or dropped, and each refused while Mail runs; each case on a fresh home and window.
#include "tests/app/WindowDriver.h"
#include "ui/render/FieldsSheet.h"
#include "ui/restore/KeptVersionDialog.h"

#include <QFontDatabase>
#include <QProcess>
#include <QStyle>
#include <QTemporaryDir>

class TestMenusWindow : public QObject, public WindowDriver
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        open();
    }
    void cleanup() { close(); }
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
            QTRY_VERIFY_WITH_TIMEOUT(button()->isEnabled() && message()->isHidden(), 10000);
            const QByteArray before = TestHome::read(m_home->file(1));
            if (restoring)
                restoreAction()->trigger();
            const auto *dialog = m_window->findChild<KeptVersionDialog *>();
            QProcess mail;
            mail.start(TestHome::fakeApp(m_home->path(), u"Mail"_s, u"com.apple.mail"_s), {u"60"_s});
            // Before the once-a-second poll has seen Mail: the click or the key itself looks, and says so.
            QVERIFY(mail.waitForStarted());
            QCOMPARE(tuple(button()->isEnabled(), bool(dialog)), tuple(true, restoring));
            if (restoring) // the oldest version, not what the file holds
                QTest::keySequence(dialog->versions(), QKeySequence(Qt::Key_End, Qt::Key_Return));
            else if (way == u"new"_s) // refused before a name is asked
                newAction()->trigger();
            else if (way == u"undo"_s) // the insert before the loop is there to undo
                undoAction()->trigger();
            else
                QTest::mouseClick(button(), Qt::LeftButton);
            QCOMPARE(tuple(TestHome::read(m_home->file(1)), bool(sheet())), tuple(before, false));
            const QString refusal = u"Mail was running, so nothing was changed."_s;
            QTRY_COMPARE_WITH_TIMEOUT(message()->isHidden() ? QString() : message()->text(), refusal, 3000);
            QTRY_VERIFY(!button()->isEnabled());
            click(1); // a new look at the signature: Mail's state is what is left to say
            QVERIFY(!message()->isHidden());
            QVERIFY2(message()->text() != refusal, "Mail's state, no longer the refusal");
            mail.kill();
            QTRY_VERIFY_WITH_TIMEOUT(message()->isHidden() && button()->isEnabled(), 10000);
        }
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
            QTRY_VERIFY((dialog = m_window->findChild<KeptVersionDialog *>()) && dialog->isVisible());
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
        QCOMPARE(tuple(TestHome::state(file), undoAction()->isEnabled()),
                 tuple(TestHome::State(before, true), false));
        QTRY_VERIFY_WITH_TIMEOUT(preview().contains(u"at home"_s), 15000);
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
            QTRY_VERIFY(sheet() && sheet()->isVisible());
            QCOMPARE(tuple(sheet()->windowType(), sheet()->windowModality(), sheet()->parentWidget()),
                     tuple(Qt::Sheet, Qt::WindowModal, static_cast<QWidget *>(m_window.get())));
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
        QCOMPARE(tuple(selectedName(), selected(row)), tuple(u"Team"_s, true));
        QCOMPARE(tuple(TestHome::mimeDecoded({m_home->file(id)}), TestHome::isLocked(m_home->file(id))),
                 tuple(QStringList{html}, true));
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
        QTRY_VERIFY(fields() && fields()->isVisible());
        QCOMPARE(tuple(fields()->windowType(), fields()->parentWidget(), fields()->field(u"name"_s)->text()),
                 tuple(Qt::Sheet, static_cast<QWidget *>(m_window.get()), QString()));
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
        QCOMPARE(tuple(fields()->field(u"name"_s)->text(), fields()->field(u"phone"_s)->text()),
                 tuple(u"J\u00fcrgen \"J\""_s, u"+1 555"_s));
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
        QCOMPARE(tuple(fromFile->isEnabled(), fromFile->shortcut()),
                 tuple(true, QKeySequence(QKeySequence::Open)));
        fromFile->trigger();
        auto *chooser = m_window->findChild<QFileDialog *>(u"InsertFromFileChooser"_s);
        QTRY_VERIFY(chooser && chooser->isVisible());
        chooser->selectFile(chosen);
        QTest::keyClick(chooser, Qt::Key_Return);
        QCOMPARE(tuple(TestHome::mimeDecoded({file}), TestHome::isLocked(file)),
                 tuple(QStringList{html}, true));
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
            QCOMPARE(tuple(message()->text(), TestHome::read(file)), tuple(told, written));
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
        QCOMPARE(TestHome::mimeDecoded({m_home->file(0), file}),
                 (QStringList{u"<p>On the row</p>"_s, u"<p>Dropped</p>"_s}));
    }
};

WINDOW_TEST_MAIN(TestMenusWindow)
#include "tst_menus_window.moc"
