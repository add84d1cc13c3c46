#include "preview/ControlWebviewModel.h"

#include "base/Diagnostics.h"
#include "preview/PreviewSurface.h"
#include "store/DataAddress.h"
#include "store/SignatureRenderUIModel.h"

ControlWebviewModel::ControlWebviewModel(SignatureRenderUIModel &rendered, DarkRule declaresDark,
                                         QObject *parent)
    : QObject(parent), m_rendered(rendered), m_declaresDark(std::move(declaresDark)),
      m_signatureSubscription(rendered.signature().sink(
          [this](const std::optional<AppleSignatureContent> &content) { followSignature(content); })),
      m_insteadSubscription(rendered.shownInstead().sink(
          [this](const std::optional<SignatureFileFormat::Body> &body) { followInstead(body); }))
{
    // What there is when the model starts is where it starts from, not news.
    m_started = true;
    Diagnostics::print(QStringLiteral("INIT WEBVIEWMODEL"));
}

void ControlWebviewModel::followSignature(const std::optional<AppleSignatureContent> &content)
{
    // The published value is still the last one while its subscribers hear of the next.
    if (content && content != m_rendered.signature().get())
        show(m_rendered.body());
}

void ControlWebviewModel::followInstead(const std::optional<SignatureFileFormat::Body> &body)
{
    if (!m_started)
        return;
    if (body)
        show(*body);
    else if (m_rendered.signature().get())
        show(m_rendered.body());
}

void ControlWebviewModel::show(const SignatureFileFormat::Body &body)
{
    m_latest = body;
    // The page is handed its images as data: addresses: it fetches nothing
    // new, and knows the parts of the signature it shows and no others.
    m_latestImages.clear();
    for (const SignatureImage &part : body.parts) {
        if (part.type.startsWith("image/") && !part.contentId.isEmpty())
            m_latestImages.insert(part.contentId, DataAddress::of(part.type, part.data));
    }
    const bool changed = refreshAppearance();
    showLatest();
    if (changed)
        emit appearanceChanged();
}

void ControlWebviewModel::showLatest()
{
    if (m_surface && m_latest)
        m_surface->showSignature(m_latest->html, m_appearance, m_latestImages);
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
    const A next = !m_dark                                                        ? A::Light
                   : m_latest && m_declaresDark && m_declaresDark(m_latest->html) ? A::Dark
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
        showLatest();
    else
        m_surface->setAppearance(m_appearance);
}
