#include "app/Vellix_Mac_MailApp.h"

#include "access/AccessEngineServices.h"
#include "access/MailMonitor.h"
#include "app/ContentView.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "ui/SignatureActions.h"
#include "ui/TopbarState.h"
#include "ui/WindowEnvironment.h"
#include "ui/list/NewSignatureActions.h"
#include "ui/list/SignatureListView.h"

#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QMenuBar>
#include <QTimer>

Vellix_Mac_MailApp::Vellix_Mac_MailApp(QWidget *parent)
    : QMainWindow(parent), m_contentView(new ContentView(std::make_unique<AccessEngineServices>(this), this))
{
    m_contentView->setFixedSize(contentWidth, contentHeight);
    setCentralWidget(m_contentView);
    buildMenus();
    // The window follows its content's size, so it cannot be resized.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Vellix_Mac_MailApp::buildMenus()
{
    // Nothing that opens a second window, and no Help menu items.
    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *create = file->addAction(NewSignatureActions::menuText(), m_contentView,
                                      &ContentView::newSignatureFromClipboard);
    create->setShortcut(QKeySequence::New);
    // A signature is made in the folder access was granted to.
    SignaturesEngineAccessAuthorize *authorize = m_contentView->engine().accessAuthorize();
    const auto refreshCreate = [create, authorize] { create->setEnabled(authorize->isAuthorized().get()); };
    connect(authorize, &SignaturesEngineAccessAuthorize::changed, create, refreshCreate);
    refreshCreate();
    // Where the insert button would insert: a signature is previewed and Mail is closed.
    QAction *fromFile =
        file->addAction(ContentView::insertFromFileText(), m_contentView, &ContentView::insertFromFile);
    fromFile->setShortcut(QKeySequence::Open);
    const WindowEnvironment environment =
        WindowEnvironment::of(m_contentView->engine(), m_contentView->mailMonitor());
    const auto refreshFromFile = [fromFile, environment] {
        const TopbarState state = environment.topbarState();
        fromFile->setEnabled(state.action == TopbarState::Action::Insert && state.buttonEnabled);
    };
    connect(&environment.rendered, &SignatureRenderUIModel::changed, fromFile, refreshFromFile);
    connect(&environment.authorize, &SignaturesEngineAccessAuthorize::changed, fromFile, refreshFromFile);
    connect(&environment.mailMonitor, &MailMonitor::changed, fromFile, refreshFromFile);
    refreshFromFile();
    QAction *restore = file->addAction(SignatureListView::restoreActionText(), m_contentView,
                                       &ContentView::restorePreviousVersion);
    // Whether there are versions is read from the disk, so only when the menu
    // opens: not on every click on a row, before the window is painted.
    const auto refresh = [this, restore] { restore->setEnabled(m_contentView->canRestorePreviousVersion()); };
    connect(file, &QMenu::aboutToShow, restore, refresh);
    refresh();
    file->addSeparator();
    QAction *quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    SignaturesEngine &engine = m_contentView->engine();
    MailMonitor &mailMonitor = m_contentView->mailMonitor();
    QAction *undo = edit->addAction(SignatureActions::undoText(engine));
    undo->setShortcut(QKeySequence::Undo);
    connect(undo, &QAction::triggered, this,
            [&engine, &mailMonitor] { SignatureActions::undo(engine, mailMonitor); });
    const auto refreshUndo = [undo, &engine] {
        undo->setText(SignatureActions::undoText(engine));
        undo->setEnabled(engine.selectedUndoName().has_value());
    };
    connect(&engine, &SignaturesEngine::undoChanged, undo, refreshUndo);
    connect(engine.selectionUiModel(), &SignatureSelectionUIModel::changed, undo, refreshUndo);
    refreshUndo();
}

void Vellix_Mac_MailApp::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_wasShown)
        return;
    m_wasShown = true;
    // A dialog opened while the window was being built (the folder chooser on
    // a first start) must not end up hidden behind it.
    QTimer::singleShot(0, this, [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<QDialog *>(widget) && widget->isVisible()) {
                widget->raise();
                widget->activateWindow();
            }
        }
    });
}
