#include "ui/RestoreVersionDialog.h"

#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/RestoreActions.h"
#include "ui/SignatureVersionListModel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

RestoreVersionDialog::RestoreVersionDialog(SignaturesEngine &engine, ControlWebviewModel &preview,
                                           MailMonitor &mailMonitor, QWidget *parent)
    : QDialog(parent), m_engine(engine), m_preview(preview), m_mailMonitor(mailMonitor),
      m_versions(new QListView(this)),
      m_model(new SignatureVersionListModel(
          engine.selectionUiModel()->signature().get().value_or(SignatureModel{}).id, this))
{
    const QString name = engine.selectionUiModel()->signature().get().value_or(SignatureModel{}).name;
    setWindowTitle(QStringLiteral("Restore Previous Version"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *prompt =
        new QLabel(QStringLiteral("Choose the version of \u201c%1\u201d to put back.").arg(name), this);
    prompt->setWordWrap(true);
    m_versions->setModel(m_model);
    m_versions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_versions->setAccessibleName(QStringLiteral("Versions"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton *restore = buttons->addButton(restoreTitle(), QDialogButtonBox::AcceptRole);
    restore->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_versions, 1);
    layout->addWidget(buttons);
    resize(420, 300);

    connect(m_versions->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { RestoreActions::show(m_preview, chosenFile()); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        RestoreActions::restore(m_engine, m_preview, m_mailMonitor, chosenFile());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Cancel, Escape and closing the window all put the preview back.
    connect(this, &QDialog::rejected, this, [this] { RestoreActions::showCurrent(m_engine, m_preview); });
    m_versions->setCurrentIndex(m_model->index(0));
}

QString RestoreVersionDialog::restoreTitle()
{
    return QStringLiteral("Restore");
}

QString RestoreVersionDialog::chosenFile() const
{
    return m_versions->currentIndex().data(SignatureVersionListModel::FileRole).toString();
}
