#include "preview/ControlWebviewModel.h"

#include "base/Diagnostics.h"
#include "preview/PreviewSurface.h"
#include "store/SignatureRenderUIModel.h"

ControlWebviewModel::ControlWebviewModel(SignatureRenderUIModel &rendered, DarkRule declaresDark,
                                         QObject *parent)
    : QObject(parent), m_rendered(rendered), m_declaresDark(std::move(declaresDark)),
      m_signatureSubscription(rendered.signature().sink(
          [this](const std::optional<AppleSignatureContent> &content) { followSignature(content); })),
      m_insteadSubscription(
          rendered.shownInstead().sink([this](const std::optional<QString> &html) { followInstead(html); }))
{
    // What there is when the model starts is where it starts from, not news.
    m_started = true;
    Diagnostics::print(QStringLiteral("INIT WEBVIEWMODEL"));
}

void ControlWebviewModel::followSignature(const std::optional<AppleSignatureContent> &content)
{
    // The published value is still the last one while its subscribers hear of the next.
    if (content && content != m_rendered.signature().get())
        show(m_rendered.html());
}

void ControlWebviewModel::followInstead(const std::optional<QString> &html)
{
    if (!m_started)
        return;
    if (html)
        show(*html);
    else if (m_rendered.signature().get())
        show(m_rendered.html());
}

void ControlWebviewModel::show(const QString &html)
{
    m_latest = html;
    const bool changed = refreshAppearance();
    if (m_surface)
        m_surface->showSignature(html, m_appearance);
    if (changed)
        emit appearanceChanged();
}

void ControlWebviewModel::setDark(bool dark)
{
    if (dark == m_dark)
        return;
    m_dark = dark;
    refreshAppearance();
    if (m_surface)
        m_surface->setAppearance(m_appearance);
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

void ControlWebviewModel::attach(PreviewSurface *surface)
{
    m_surface = surface;
    if (!m_surface)
        return;
    if (m_latest)
        m_surface->showSignature(*m_latest, m_appearance);
    else
        m_surface->setAppearance(m_appearance);
}
