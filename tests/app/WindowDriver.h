#pragma once

// The program's window driven as a user would, for the window suites: each case on a fresh home (Mail's
// sample, authorised unless the case asks otherwise, no clipboard) and a fresh window.
#include "access/FolderAccess.h"
#include "app/ApplicationSetup.h"
#include "app/ContentView.h"
#include "app/Vellix_Mac_MailApp.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/access/FolderChooserDriver.h"
#include "tests/common/TestHome.h"
#include "tests/preview/PageProbe.h"
#include "ui/list/NewSignatureSheet.h"
#include "ui/list/SignatureItemModel.h"
#include "ui/list/SignatureListView.h"
#include "ui/render/SignatureRender.h"
#include "ui/render/SignatureRenderTopbar.h"
#include "ui/render/SignatureRenderTopbarInsertButton.h"
#include "ui/render/SignatureRenderTopbarMessageMailRunning.h"
#include "ui/render/SignatureRenderTopbarPutBackButton.h"
#include "ui/render/SignatureRenderWebView.h"

#include <QClipboard>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QWebEngineView>

class WindowDriver
{
public:
    ContentView *content() const { return m_window->contentView(); }
    SignaturesEngine &engine() const { return content()->engine(); }
    SignatureListView *list() const { return content()->listPane(); }
    QPushButton *button() const { return content()->previewPane()->topbar()->button(); }
    QPushButton *putBack() const { return content()->previewPane()->topbar()->putBackButton(); }
    QLabel *message() const { return content()->previewPane()->topbar()->message(); }
    QWebEngineView *view() const { return m_window->findChild<QWebEngineView *>(); }
    QString preview() const { return PageProbe::containerHtml(view()->page()); }
    QRgb pixel(int x, int y) const { return view()->grab().toImage().pixel(x, y); }
    QModelIndex index(int row) const { return list()->model()->index(row); }
    bool selected(int row) const { return index(row).data(SignatureItemModel::SelectedRole).toBool(); }
    std::optional<SignatureModel> selection() const { return engine().selectionUiModel()->signature().get(); }
    QString selectedName() const { return selection().value_or(SignatureModel{}).name; }
    void click(int row, QPoint at = {}) const
    {
        QTest::mouseClick(list()->rowsView()->viewport(), Qt::LeftButton, {},
                          at.isNull() ? list()->rowRect(row).center() : at);
    }
    // The row of a sample signature, scrolled to.
    int rowOf(int sample) const
    {
        const int row = list()->model()->rowOf(m_home->id(sample)).value_or(-1);
        list()->rowsView()->scrollTo(index(row));
        return row;
    }
    QString rowText(int row) const { return index(row).data(Qt::AccessibleTextRole).toString(); }
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
    QAction *newAction() const { return fileAction(u"New Signature from Clipboard\u2026"_s); }
    NewSignatureSheet *sheet() const { return m_window->findChild<NewSignatureSheet *>(); }
    bool activate() const
    {
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
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

protected:
    // The window on m_home, once its web view shows and, authorised, the sample is listed.
    void open(bool authorised = true)
    {
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
    void close()
    {
        FolderChooserDriver::closeAll();
        m_window.reset();
        m_home.reset();
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Vellix_Mac_MailApp> m_window;
};

// A window suite's main: the application set up as the program sets it up.
#define WINDOW_TEST_MAIN(Suite)                                                                              \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        ApplicationSetup::prepare();                                                                         \
        QApplication application(argc, argv);                                                                \
        Suite test;                                                                                          \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
