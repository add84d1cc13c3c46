#pragma once

#include <QString>

#include <functional>
#include <optional>

// The script bridge as the views that produce signature HTML see it. It turns
// HTML into one call of the preview page's `update` function and keeps the
// most recent script. The page belongs to the preview module, which is loaded
// after the window's first frame: until the module's preview is attached,
// scripts wait here, and on attaching the most recent one is handed over, so
// a signature chosen before the web engine is up shows once its page is ready.
class ControlWebviewModel
{
public:
    using Target = std::function<void(const QString &script)>;

    ControlWebviewModel();
    ControlWebviewModel(const ControlWebviewModel &) = delete;
    ControlWebviewModel &operator=(const ControlWebviewModel &) = delete;

    void update(const QString &html);
    void runJavascript(const QString &script);

    // Where scripts go from now on; the most recent one, if any, goes at once.
    void attach(Target target);

    // The most recent script, whether it was handed on at once or waited.
    const std::optional<QString> &lastJavascriptToRun() const { return m_lastJavascriptToRun; }

private:
    Target m_target;
    std::optional<QString> m_lastJavascriptToRun;
};
