#pragma once

#include "base/Cancellable.h"
#include "store/AppleSignatureContent.h"

#include <functional>
#include <optional>

class SignatureRenderUIModel;

// Follows the previewed content and pushes it to the preview when it
// really changes: a republish of the same header and HTML pushes nothing, a
// change to no content pushes nothing (the preview keeps what it shows), and
// the value present when the watch starts pushes nothing.
class PreviewUpdateWatch
{
public:
    using Push = std::function<void(const AppleSignatureContent &content)>;

    PreviewUpdateWatch(SignatureRenderUIModel &rendered, Push push);
    PreviewUpdateWatch(const PreviewUpdateWatch &) = delete;
    PreviewUpdateWatch &operator=(const PreviewUpdateWatch &) = delete;

private:
    void receive(const std::optional<AppleSignatureContent> &content);

    Push m_push;
    std::optional<AppleSignatureContent> m_previous;
    bool m_started = false;
    Cancellable m_subscription;
};
