#include "ui/render/SignatureRenderTopbarAppearance.h"

#include "preview/ControlWebviewModel.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

namespace {
QToolButton *segment(const QString &text, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setAccessibleName(text);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}
} // namespace

SignatureRenderTopbarAppearance::SignatureRenderTopbarAppearance(ControlWebviewModel &javascriptModel,
                                                                 QWidget *parent)
    : QWidget(parent), m_javascriptModel(javascriptModel), m_light(segment(QStringLiteral("Light"), this)),
      m_dark(segment(QStringLiteral("Dark"), this))
{
    setAccessibleName(QStringLiteral("Appearance"));
    setToolTip(QStringLiteral("Show the signature as Mail does in light or in dark mode"));
    auto *group = new QButtonGroup(this);
    group->addButton(m_light);
    group->addButton(m_dark);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_light);
    layout->addWidget(m_dark);
    connect(m_dark, &QToolButton::toggled, this, [this](bool dark) { m_javascriptModel.setDark(dark); });
    connect(&m_javascriptModel, &ControlWebviewModel::appearanceChanged, this,
            &SignatureRenderTopbarAppearance::refresh);
    refresh();
}

void SignatureRenderTopbarAppearance::refresh()
{
    (m_javascriptModel.isDark() ? m_dark : m_light)->setChecked(true);
}
