#pragma once

#include "base/Cancellable.h"
#include "preview/PreviewPage.h"
#include "preview/PreviewSurface.h"
#include "store/AppleSignatureContent.h"
#include "store/SignatureFileFormat.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class SignatureRenderUIModel;

// What the page should show, and the script bridge that hands it over. It
// follows the rendered signature itself: a real change of it is shown, while a
// republish of the same header and HTML, a change to no content (the page
// keeps what it shows) and the signature present when the model starts are
// not. It follows as well what is shown instead of it (a kept version chosen,
// a template being filled): every set of that is shown, and clearing it shows
// the signature again. The newest of these is what the page should show.
//
// The page belongs to the preview module, which is loaded after the window's
// first frame: until its page is ready the HTML waits here, and on attaching
// the latest is handed over, so a signature chosen before the web engine is up
// shows once its page can take it. This is the one place that keeps it.
//
// It also keeps whether the preview is light or dark, and with it the
// appearance of the latest HTML: in dark, the signature's own dark colours
// where the given rule finds it declares them, inverted colours otherwise.
class ControlWebviewModel : public QObject
{
    Q_OBJECT
public:
    // Whether HTML declares dark colours of its own; asked only in dark.
    using DarkRule = std::function<bool(const QString &html)>;

    explicit ControlWebviewModel(SignatureRenderUIModel &rendered, DarkRule declaresDark = {},
                                 QObject *parent = nullptr);

    void setDark(bool dark);
    bool isDark() const { return m_dark; }
    PreviewPage::Appearance appearance() const { return m_appearance; }

    // Where HTML and appearance changes go from now on (none: nowhere, as
    // when the page goes); the latest HTML, if any, goes at once, or else the
    // appearance.
    void attach(PreviewSurface *surface);

signals:
    void appearanceChanged();

private:
    void followSignature(const std::optional<AppleSignatureContent> &content);
    void followInstead(const std::optional<SignatureFileFormat::Body> &body);
    void show(const SignatureFileFormat::Body &body);
    void showLatest();
    // The appearance the latest HTML takes; whether it changed.
    bool refreshAppearance();

    SignatureRenderUIModel &m_rendered;
    DarkRule m_declaresDark;
    PreviewSurface *m_surface = nullptr;
    std::optional<SignatureFileFormat::Body> m_latest;
    // The latest's images as the page takes them.
    PreviewImages m_latestImages;
    bool m_dark = false;
    PreviewPage::Appearance m_appearance = PreviewPage::Appearance::Light;
    bool m_started = false;
    Cancellable m_signatureSubscription;
    Cancellable m_insteadSubscription;
};
