#pragma once

#include "store/AppleSignatureContent.h"

#include <QString>

#include <functional>
#include <optional>

// The script bridge as the views that produce signature HTML see it: it keeps
// the most recent HTML and hands it to the preview. The page belongs to the
// preview module, which is loaded after the window's first frame: until the
// module's page is ready the HTML waits here, and on attaching the most recent
// one is handed over, so a signature chosen before the web engine is up shows
// once its page can take it. This is the one place that keeps it.
class ControlWebviewModel
{
public:
    using Target = std::function<void(const QString &html)>;

    ControlWebviewModel();
    ControlWebviewModel(const ControlWebviewModel &) = delete;
    ControlWebviewModel &operator=(const ControlWebviewModel &) = delete;

    // Shows html exactly as given.
    void update(const QString &html);
    // Shows a signature file's body, decoded once as its header declares.
    void update(const AppleSignatureContent &content);

    // Where HTML goes from now on; the most recent one, if any, goes at once.
    void attach(Target target);

private:
    Target m_target;
    std::optional<QString> m_latest;
};
