#include "ui/render/FieldsSheet.h"

#include "access/RememberedFields.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureTemplate.h"
#include "store/SignaturesEngine.h"
#include "ui/SignatureActions.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

FieldsSheet::FieldsSheet(SignaturesEngine &engine, MailMonitor &mailMonitor,
                         const SignatureActions::Template &templateBody, QWidget *window)
    : QDialog(window, Qt::Sheet), m_engine(engine), m_mailMonitor(mailMonitor), m_template(templateBody)
{
    setWindowTitle(QStringLiteral("Fill In the Signature"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    auto *prompt = new QLabel(
        QStringLiteral("The HTML you copied has fields. The preview shows it with these values:"), this);
    prompt->setWordWrap(true);

    auto *form = new QFormLayout;
    const QStringList names = SignatureTemplate::fieldNames(m_template.html);
    const QMap<QString, QString> remembered = RememberedFields::valuesOf(names);
    for (const QString &name : names) {
        auto *edit = new QLineEdit(remembered.value(name), this);
        edit->setAccessibleName(name);
        form->addRow(name + u':', edit);
        m_fields.insert(name, edit);
        connect(edit, &QLineEdit::textChanged, this, &FieldsSheet::showFilled);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_insert = buttons->addButton(QStringLiteral("Insert"), QDialogButtonBox::AcceptRole);
    m_insert->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    connect(buttons, &QDialogButtonBox::accepted, this, &FieldsSheet::insert);
    connect(this, &QDialog::rejected, this, &FieldsSheet::showSignature);
    showFilled();
}

void FieldsSheet::placeAtFootOf(const QWidget *pane)
{
    adjustSize();
    // The frame is not known before the sheet is shown: room for a title bar is kept.
    const int frame =
        style()->pixelMetric(QStyle::PM_TitleBarHeight) + style()->pixelMetric(QStyle::PM_LayoutBottomMargin);
    const QPoint foot = pane->mapToGlobal(QPoint(pane->width() / 2, pane->height()));
    move(foot.x() - width() / 2, foot.y() - height() - frame);
}

QMap<QString, QString> FieldsSheet::values() const
{
    QMap<QString, QString> values;
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
        values.insert(it.key(), it.value()->text());
    return values;
}

void FieldsSheet::showFilled()
{
    // Every field has a value, an empty one at worst: the template always fills.
    // Shown with the signature's own images, which the insert keeps where the template names them.
    if (const std::optional<QString> filled = SignatureTemplate::fill(m_template.html, values()).html)
        m_engine.renderedUiModel()->shownInstead().set(
            SignatureFileFormat::Body{*filled, m_engine.renderedUiModel()->images() + m_template.parts});
}

void FieldsSheet::insert()
{
    // The engine publishes the file as written (or the preview goes back to
    // it after a refusal told in the top bar).
    if (!SignatureActions::insertFilled(m_template, values(), m_engine, m_mailMonitor))
        showSignature();
    accept();
}

void FieldsSheet::showSignature()
{
    m_engine.renderedUiModel()->shownInstead().set(std::nullopt);
}
