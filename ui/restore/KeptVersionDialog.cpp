#include "ui/restore/KeptVersionDialog.h"

#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/ChoiceListView.h"
#include "ui/restore/KeptVersionItemModel.h"
#include "ui/restore/RestoreActions.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

KeptVersionDialog::KeptVersionDialog(SignaturesEngine &engine, MailMonitor &mailMonitor, QWidget *parent)
    : QDialog(parent), m_engine(engine), m_mailMonitor(mailMonitor), m_versions(new ChoiceListView(this)),
      m_model(new KeptVersionItemModel(engine.selectedKeptVersions(), this))
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
    // A line longer than the widest the dialog may be ends in an ellipsis; the row's tool tip holds it all.
    m_versions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_versions->setTextElideMode(Qt::ElideRight);
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

    connect(m_versions, &ChoiceListView::rowClicked, this, &KeptVersionDialog::choose);
    connect(m_versions, &ChoiceListView::currentMovedByKey, this, &KeptVersionDialog::choose);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (chosenFile().isEmpty())
            return;
        RestoreActions::restore(m_engine, m_mailMonitor, chosenFile());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Cancel, Escape and closing the window all put the preview back.
    connect(this, &QDialog::rejected, this,
            [this] { m_engine.renderedUiModel()->shownInstead().set(std::nullopt); });
}

QListView *KeptVersionDialog::versions() const
{
    return m_versions;
}

void KeptVersionDialog::placeOver(const QWidget *pane, const QWidget *beside)
{
    const QRect over(pane->mapToGlobal(QPoint(0, 0)), pane->size());
    const QRect screen = pane->screen()->availableGeometry();
    const int middle = beside->mapToGlobal(beside->rect().center()).x();
    // Wider than the pane where the title or a row needs it: away from beside first, as far as the
    // screen goes, then over beside's near side, never past its middle.
    const int width = std::max(over.width(), readableWidth());
    QRect placed = over;
    if (middle > over.center().x()) {
        placed.setLeft(std::max(over.right() + 1 - width, std::min(screen.left(), over.left())));
        placed.setRight(std::min(placed.left() + width - 1, middle - 1));
    } else {
        placed.setRight(std::min(over.left() + width - 1, std::max(screen.right(), over.right())));
        placed.setLeft(std::max(placed.right() + 1 - width, middle + 1));
    }
    resize(placed.size());
    move(placed.topLeft());
}

int KeptVersionDialog::readableWidth() const
{
    // Each line of a row, with the item's text margins, the list's frame and a scroll bar.
    const QFontMetrics metrics(m_versions->font());
    int line = 0;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        for (const QString &text : m_model->index(row).data().toString().split(u'\n'))
            line = std::max(line, metrics.horizontalAdvance(text));
    }
    const QMargins margins = layout()->contentsMargins();
    const int rows = line + 2 * (m_versions->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) +
                     2 * m_versions->frameWidth() +
                     m_versions->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + margins.left() +
                     margins.right();
    // A title bar adds the program's name, often in bold, and centres it between its buttons.
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics title(font);
    const QString shown =
        windowTitle() + QStringLiteral(" \u2014 ") + QGuiApplication::applicationDisplayName();
    return std::max(rows, title.horizontalAdvance(shown) + 6 * title.height());
}

QString KeptVersionDialog::restoreTitle()
{
    return QStringLiteral("Restore");
}

void KeptVersionDialog::choose(const QModelIndex &index)
{
    m_versions->setChosenRow(index);
    m_restore->setEnabled(index.isValid());
    RestoreActions::show(m_engine, chosenFile());
}

QString KeptVersionDialog::chosenFile() const
{
    return m_versions->chosenRow().data(KeptVersionItemModel::FileRole).toString();
}
