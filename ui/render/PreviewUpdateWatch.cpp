#include "ui/render/PreviewUpdateWatch.h"

#include "store/SignatureRenderUIModel.h"

PreviewUpdateWatch::PreviewUpdateWatch(SignatureRenderUIModel &rendered, Push push)
    : m_push(std::move(push)),
      m_subscription(rendered.signature().sink(
          [this](const std::optional<AppleSignatureContent> &content) { receive(content); }))
{
}

void PreviewUpdateWatch::receive(const std::optional<AppleSignatureContent> &content)
{
    // The subscription hands over the current value first: that is the
    // starting point, not a change.
    if (!m_started) {
        m_started = true;
        m_previous = content;
        return;
    }
    if (content == m_previous)
        return;
    m_previous = content;
    if (content)
        m_push(*content);
}
