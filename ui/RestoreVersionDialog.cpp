#include "ui/RestoreVersionDialog.h"

#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/RestoreActions.h"
#include "ui/SignatureRowsView.h"
#include "ui/SignatureVersionListModel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RestoreVersionDialog::RestoreVersionDialog(SignaturesEngine &engine, ControlWebviewModel &preview,
                                           MailMonitor &mailMonitor, QWidget *parent)
    : QDialog(parent), m_engine(engine), m_preview(preview), m_mailMonitor(mailMonitor),
      m_versions(new SignatureRowsView(this)),
      m_model(new SignatureVersionListModel(
          engine.selectionUiModel()->signature().get().value_or(SignatureModel{}).id, this))
{
    const QString name = engine.selectionUiModel()->signature().get().value_or(SignatureModel{}).name;
    setWindowTitle(QStringLiteral("Restore Previous Version"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *prompt =
        new QLabel(QStringLiteral("Choose the version of \u201c%1\u201d to put back.").arg(name), this);
    prompt->setTextFormat(Qt::PlainText);
    prompt->setWordWrap(true);
    m_versions->setModel(m_model);
    m_versions->setSelectionMode(QAbstractItemView::SingleSelection);
    m_versions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The dialog is as narrow as the list it covers: a label wraps rather than scrolls.
    m_versions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_versions->setWordWrap(true);
    m_versions->setAccessibleName(QStringLiteral("Versions"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_restore = buttons->addButton(restoreTitle(), QDialogButtonBox::AcceptRole);
    m_restore->setDefault(true);
    m_restore->setEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_versions, 1);
    layout->addWidget(buttons);
    resize(420, 300);

    connect(m_versions, &SignatureRowsView::rowClicked, this, &RestoreVersionDialog::choose);
    connect(m_versions, &SignatureRowsView::currentMovedByKey, this, &RestoreVersionDialog::choose);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (chosenFile().isEmpty())
            return;
        RestoreActions::restore(m_engine, m_preview, m_mailMonitor, chosenFile());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Cancel, Escape and closing the window all put the preview back.
    connect(this, &QDialog::rejected, this, [this] { RestoreActions::showCurrent(m_engine, m_preview); });
}

QListView *RestoreVersionDialog::versions() const
{
    return m_versions;
}

void RestoreVersionDialog::placeOver(const QWidget *pane)
{
    resize(pane->width(), pane->height());
    move(pane->mapToGlobal(QPoint(0, 0)));
}

QString RestoreVersionDialog::restoreTitle()
{
    return QStringLiteral("Restore");
}

void RestoreVersionDialog::choose(const QModelIndex &index)
{
    m_versions->setChosenRow(index);
    m_restore->setEnabled(index.isValid());
    RestoreActions::show(m_preview, chosenFile());
}

QString RestoreVersionDialog::chosenFile() const
{
    return m_versions->chosenRow().data(SignatureVersionListModel::FileRole).toString();
}
