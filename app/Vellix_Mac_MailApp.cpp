#include "app/Vellix_Mac_MailApp.h"

#include "access/AccessEngineServices.h"
#include "app/ContentView.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "ui/NewSignatureActions.h"
#include "ui/SignatureListView.h"

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
    QAction *restore = file->addAction(SignatureListView::restoreActionText(), m_contentView,
                                       &ContentView::restorePreviousVersion);
    // Versions come with every insert and unlock, each followed by a reload.
    const auto refresh = [this, restore] { restore->setEnabled(m_contentView->canRestorePreviousVersion()); };
    connect(m_contentView->engine().selectionUiModel(), &SignatureSelectionUIModel::changed, restore,
            refresh);
    connect(m_contentView->engine().uiModel(), &SignatureListUIModel::changed, restore, refresh);
    refresh();
    file->addSeparator();
    QAction *quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);
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
