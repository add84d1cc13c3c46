#include "ui/SignatureListView.h"

#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureVersions.h"
#include "ui/SignaturListFooter.h"
#include "ui/SignaturListTitle.h"
#include "ui/SignatureListModel.h"
#include "ui/SignatureLockButton.h"
#include "ui/SignatureRowDelegate.h"
#include "ui/SignatureRowsView.h"
#include "ui/SignatureUnlockButton.h"

#include <QMenu>
#include <QVBoxLayout>

SignatureListView::SignatureListView(const WindowEnvironment &environment, QWidget *parent)
    : QWidget(parent), m_environment(environment),
      m_model(new SignatureListModel(environment.list, environment.selection, this)),
      m_delegate(new SignatureRowDelegate(this)),
      m_unlockButton(new SignatureUnlockButton(environment.engine, this)),
      m_title(new SignaturListTitle(this)), m_listView(new SignatureRowsView(this)),
      m_footer(new SignaturListFooter(this))
{
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(m_delegate);
    // The highlight is the delegate's, drawn from the published selection.
    m_listView->setSelectionMode(QAbstractItemView::NoSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->setFocusPolicy(Qt::StrongFocus);
    m_listView->setAccessibleName(QStringLiteral("Signatures"));
    m_listView->setContextMenuPolicy(Qt::CustomContextMenu);
    m_listView->setUniformItemSizes(true);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setTextElideMode(Qt::ElideRight);
    // No list background: the pane's own background shows through.
    m_listView->setFrameShape(QFrame::NoFrame);
    m_listView->setAutoFillBackground(false);
    m_listView->viewport()->setAutoFillBackground(false);

    connect(m_listView, &SignatureRowsView::rowClicked, this, &SignatureListView::select);
    connect(m_listView, &SignatureRowsView::currentMovedByKey, this, &SignatureListView::select);
    connect(m_listView, &QWidget::customContextMenuRequested, this, &SignatureListView::showContextMenu);
    connect(m_model, &QAbstractItemModel::modelReset, this, &SignatureListView::rowsReset);
    rowsReset();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addWidget(m_listView, 1);
    layout->addWidget(m_footer);
}

QListView *SignatureListView::listView() const
{
    return m_listView;
}

SignatureLockButton *SignatureListView::lockButton(int row) const
{
    return qobject_cast<SignatureLockButton *>(m_listView->indexWidget(m_model->index(row)));
}

QRect SignatureListView::rowRect(int row) const
{
    return m_listView->visualRect(m_model->index(row));
}

QRect SignatureListView::lockRect(int row) const
{
    return SignatureRowDelegate::lockSlotRect(rowRect(row), m_listView->layoutDirection());
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
    m_listView->setChosenRow(index);
    // Set even when equal: every set reads the file again.
    m_environment.selection.signature().set(*record);
}

void SignatureListView::rowsReset()
{
    // A reload replaces every row, and with them their padlocks, which Tab
    // reaches right after the list, in row order.
    QWidget *before = m_listView;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const std::optional<SignatureModel> record = m_model->record(row);
        if (!record->isFileLocked)
            continue;
        auto *button = new SignatureLockButton(record->name);
        connect(button, &QAbstractButton::clicked, this,
                [this, signature = *record] { m_unlockButton->activate(signature); });
        m_listView->setIndexWidget(m_model->index(row), button);
        QWidget::setTabOrder(before, button);
        before = button;
    }
    // The keyboard stays on the selected signature, without selecting anew.
    if (const std::optional<SignatureModel> &selected = m_environment.selection.signature().get()) {
        if (const std::optional<int> row = m_model->rowOf(selected->id))
            m_listView->setChosenRow(m_model->index(*row));
    }
}

void SignatureListView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_listView->indexAt(position);
    if (!index.isValid())
        return;
    select(index);
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *restore = menu->addAction(restoreActionText(), this, &SignatureListView::restoreRequested);
    restore->setEnabled(!SignatureVersions::list(m_model->record(index.row())->id).isEmpty());
    menu->popup(m_listView->viewport()->mapToGlobal(position));
}
