#include "ui/SignatureListView.h"

#include "store/SignatureSelectionUIModel.h"
#include "ui/SignaturListFooter.h"
#include "ui/SignaturListTitle.h"
#include "ui/SignatureListModel.h"
#include "ui/SignatureRowDelegate.h"
#include "ui/SignatureUnlockButton.h"

#include <QListView>
#include <QVBoxLayout>

SignatureListView::SignatureListView(const WindowEnvironment &environment, QWidget *parent)
    : QWidget(parent), m_environment(environment),
      m_model(new SignatureListModel(environment.list, environment.selection, this)),
      m_delegate(new SignatureRowDelegate(this)), m_unlockButton(new SignatureUnlockButton(environment.engine, this)),
      m_title(new SignaturListTitle(this)), m_listView(new QListView(this)), m_footer(new SignaturListFooter(this))
{
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(m_delegate);
    // The highlight is the delegate's, drawn from the published selection.
    m_listView->setSelectionMode(QAbstractItemView::NoSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->setFocusPolicy(Qt::NoFocus);
    m_listView->setUniformItemSizes(true);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setTextElideMode(Qt::ElideRight);
    // No list background: the pane's own background shows through.
    m_listView->setFrameShape(QFrame::NoFrame);
    m_listView->setAutoFillBackground(false);
    m_listView->viewport()->setAutoFillBackground(false);

    connect(m_delegate, &SignatureRowDelegate::rowClicked, this, &SignatureListView::select);
    connect(m_delegate, &SignatureRowDelegate::lockClicked, this, &SignatureListView::unlock);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addWidget(m_listView, 1);
    layout->addWidget(m_footer);
}

QRect SignatureListView::rowRect(int row) const
{
    return m_listView->visualRect(m_model->index(row));
}

QRect SignatureListView::lockRect(int row) const
{
    return SignatureRowDelegate::lockSlotRect(rowRect(row), m_listView->layoutDirection());
}

void SignatureListView::select(const QModelIndex &index)
{
    // Set even when equal: every set reads the file again.
    if (const std::optional<SignatureModel> record = m_model->record(index.row()))
        m_environment.selection.signature().set(*record);
}

void SignatureListView::unlock(const QModelIndex &index)
{
    if (const std::optional<SignatureModel> record = m_model->record(index.row()))
        m_unlockButton->activate(*record);
}
