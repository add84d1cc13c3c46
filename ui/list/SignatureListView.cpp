#include "ui/list/SignatureListView.h"

#include "store/SignatureStatusUIModel.h"

#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/ChoiceListView.h"
#include "ui/SignatureActions.h"
#include "ui/TopbarState.h"
#include "ui/list/SignatureItemModel.h"
#include "ui/list/SignatureListFooter.h"
#include "ui/list/SignatureListTitle.h"
#include "ui/list/SignatureRowDelegate.h"
#include "ui/list/SignatureUnlockButton.h"
#include "ui/list/UnlockAlert.h"

#include <QMenu>
#include <QVBoxLayout>

SignatureListView::SignatureListView(const WindowEnvironment &environment, QWidget *parent)
    : QWidget(parent), m_environment(environment),
      m_model(new SignatureItemModel(environment.list, environment.selection, this)),
      m_delegate(new SignatureRowDelegate(this)), m_unlockAlert(new UnlockAlert(environment.engine, this)),
      m_title(new SignatureListTitle(this)), m_rowsView(new ChoiceListView(this)),
      m_footer(new SignatureListFooter(this))
{
    m_rowsView->setModel(m_model);
    m_rowsView->setItemDelegate(m_delegate);
    // The highlight is the delegate's, drawn from the published selection.
    m_rowsView->setSelectionMode(QAbstractItemView::NoSelection);
    m_rowsView->setDrawnOnlyRoles({SignatureItemModel::SelectedRole});
    m_rowsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rowsView->setFocusPolicy(Qt::StrongFocus);
    m_rowsView->setAccessibleName(QStringLiteral("Signatures"));
    m_rowsView->setContextMenuPolicy(Qt::CustomContextMenu);
    m_rowsView->setUniformItemSizes(true);
    m_rowsView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_rowsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rowsView->setTextElideMode(Qt::ElideRight);
    // No list background: the pane's own background shows through.
    m_rowsView->setFrameShape(QFrame::NoFrame);
    m_rowsView->setAutoFillBackground(false);
    m_rowsView->viewport()->setAutoFillBackground(false);
    // An HTML file dropped on a row goes into that signature.
    m_rowsView->setAcceptDrops(true);
    m_rowsView->viewport()->setAcceptDrops(true);

    connect(m_rowsView, &ChoiceListView::rowClicked, this, &SignatureListView::select);
    connect(m_rowsView, &ChoiceListView::droppedOn, this, &SignatureListView::dropOn);
    connect(m_rowsView, &ChoiceListView::currentMovedByKey, this, &SignatureListView::select);
    connect(m_rowsView, &QWidget::customContextMenuRequested, this, &SignatureListView::showContextMenu);
    connect(m_model, &QAbstractItemModel::modelReset, this, &SignatureListView::rowsReset);
    rowsReset();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addWidget(m_rowsView, 1);
    layout->addWidget(m_footer);
}

QListView *SignatureListView::rowsView() const
{
    return m_rowsView;
}

SignatureUnlockButton *SignatureListView::unlockButton(int row) const
{
    return qobject_cast<SignatureUnlockButton *>(m_rowsView->indexWidget(m_model->index(row)));
}

QRect SignatureListView::rowRect(int row) const
{
    return m_rowsView->visualRect(m_model->index(row));
}

QRect SignatureListView::lockRect(int row) const
{
    return SignatureRowDelegate::lockSlotRect(rowRect(row), m_rowsView->layoutDirection());
}

QRect SignatureListView::markRect(int row, int position) const
{
    return SignatureRowDelegate::markSlotRect(rowRect(row), m_rowsView->layoutDirection(), position);
}

QString SignatureListView::restoreActionText()
{
    return QStringLiteral("Restore Previous Version\u2026");
}

void SignatureListView::select(const QModelIndex &index)
{
    const std::optional<SignatureModel> record = m_model->record(index.row());
    if (!record)
        return;
    // The keyboard goes on from the row the user picked.
    m_rowsView->setChosenRow(index);
    // Set even when equal: every set reads the file again.
    m_environment.selection.signature().set(*record);
}

void SignatureListView::dropOn(const QModelIndex &index, const QMimeData *mime)
{
    if (!index.isValid()) {
        m_environment.engine.statusUiModel()->message().set(QStringLiteral("Drop the file on a signature."));
        return;
    }
    select(index);
    if (const std::optional<SignatureActions::Template> templateHtml =
            SignatureActions::insertDropped(*mime, m_environment.engine, m_environment.mailMonitor))
        emit fieldsAsked(*templateHtml);
}

void SignatureListView::rowsReset()
{
    // A reload replaces every row, and with them their padlocks, which Tab
    // reaches right after the list, in row order.
    QWidget *before = m_rowsView;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const std::optional<SignatureModel> record = m_model->record(row);
        if (!record->isFileLocked)
            continue;
        auto *button = new SignatureUnlockButton(record->name);
        connect(button, &QAbstractButton::clicked, this,
                [this, signature = *record] { m_unlockAlert->activate(signature); });
        m_rowsView->setIndexWidget(m_model->index(row), button);
        QWidget::setTabOrder(before, button);
        before = button;
    }
    // The keyboard stays on the selected signature, without selecting anew.
    if (const std::optional<SignatureModel> &selected = m_environment.selection.signature().get()) {
        if (const std::optional<int> row = m_model->rowOf(selected->id))
            m_rowsView->setChosenRow(m_model->index(*row));
    }
}

void SignatureListView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_rowsView->indexAt(position);
    if (!index.isValid())
        return;
    select(index);
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *restore = menu->addAction(restoreActionText(), this, &SignatureListView::restoreRequested);
    // The row is the selection now.
    restore->setEnabled(m_environment.engine.selectedHasKeptVersions());
    QAction *putBack = menu->addAction(TopbarState::putBackTitle(), this, [this] {
        SignatureActions::putBack(m_environment.engine, m_environment.mailMonitor);
    });
    putBack->setEnabled(m_environment.topbarState().putBackEnabled);
    menu->popup(m_rowsView->viewport()->mapToGlobal(position));
}
