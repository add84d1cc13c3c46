#pragma once

#include "preview/PreviewPage.h"
#include "store/AppleSignatureContent.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// The script bridge as the views that produce signature HTML see it: it keeps
// the most recent HTML and hands it to the preview. The page belongs to the
// preview module, which is loaded after the window's first frame: until the
// module's page is ready the HTML waits here, and on attaching the most recent
// one is handed over, so a signature chosen before the web engine is up shows
// once its page can take it. This is the one place that keeps it.
//
// It also keeps whether the preview is light or dark, and with it the
// appearance of the latest HTML: in dark, the signature's own dark colours
// where the given rule finds it declares them, inverted colours otherwise.
class ControlWebviewModel : public QObject
{
    Q_OBJECT
public:
    using Target = std::function<void(const QString &html, PreviewPage::Appearance appearance)>;
    using AppearanceTarget = std::function<void(PreviewPage::Appearance appearance)>;
    // Whether HTML declares dark colours of its own; asked only in dark.
    using DarkRule = std::function<bool(const QString &html)>;

    explicit ControlWebviewModel(DarkRule declaresDark = {}, QObject *parent = nullptr);

    // Shows html exactly as given.
    void update(const QString &html);
    // Shows a signature file's body, decoded once as its header declares.
    void update(const AppleSignatureContent &content);

    void setDark(bool dark);
    bool isDark() const { return m_dark; }
    PreviewPage::Appearance appearance() const { return m_appearance; }

    // Where HTML and appearance changes go from now on; the most recent HTML,
    // if any, goes at once, or else the appearance.
    void attach(Target target, AppearanceTarget appearanceTarget = {});

signals:
    void appearanceChanged();

private:
    // The appearance the latest HTML takes; whether it changed.
    bool refreshAppearance();

    Target m_target;
    AppearanceTarget m_appearanceTarget;
    DarkRule m_declaresDark;
    std::optional<QString> m_latest;
    bool m_dark = false;
    PreviewPage::Appearance m_appearance = PreviewPage::Appearance::Light;
};
