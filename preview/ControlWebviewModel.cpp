#include "preview/ControlWebviewModel.h"

#include "base/Diagnostics.h"
#include "store/SignatureFileFormat.h"

ControlWebviewModel::ControlWebviewModel(DarkRule declaresDark, QObject *parent)
    : QObject(parent), m_declaresDark(std::move(declaresDark))
{
    Diagnostics::print(QStringLiteral("INIT WEBVIEWMODEL"));
}

void ControlWebviewModel::update(const QString &html)
{
    m_latest = html;
    const bool changed = refreshAppearance();
    if (m_target)
        m_target(html, m_appearance);
    if (changed)
        emit appearanceChanged();
}

void ControlWebviewModel::update(const AppleSignatureContent &content)
{
    // A body that cannot be decoded is shown as the file holds it.
    update(SignatureFileFormat::decodedBody(content).value_or(content.htmlContent));
}

void ControlWebviewModel::setDark(bool dark)
{
    if (dark == m_dark)
        return;
    m_dark = dark;
    refreshAppearance();
    if (m_appearanceTarget)
        m_appearanceTarget(m_appearance);
    emit appearanceChanged();
}

bool ControlWebviewModel::refreshAppearance()
{
    using A = PreviewPage::Appearance;
    const A next = !m_dark                                                   ? A::Light
                   : m_latest && m_declaresDark && m_declaresDark(*m_latest) ? A::Dark
                                                                             : A::Inverted;
    const bool changed = next != m_appearance;
    m_appearance = next;
    return changed;
}

void ControlWebviewModel::attach(Target target, AppearanceTarget appearanceTarget)
{
    m_target = std::move(target);
    m_appearanceTarget = std::move(appearanceTarget);
    if (m_target && m_latest)
        m_target(*m_latest, m_appearance);
    else if (m_appearanceTarget)
        m_appearanceTarget(m_appearance);
}
