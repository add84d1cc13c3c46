#pragma once

#include "ui/SignatureActions.h"
#include "ui/WindowEnvironment.h"

#include <QWidget>

#include <memory>

class ControlWebviewModel;
class MailMonitor;
class SignaturesEngine;
class SignatureRenderAppearanceLine;
class SignatureRenderNotes;
class SignatureRenderTopbar;
class SignatureRenderWebView;

// The right pane: the top bar, the line saying how a dark preview is shown
// (in dark), the note line (its place kept when there are no notes), then the
// preview. It owns the script bridge that both the
// preview and the insert button use.
class SignatureRender : public QWidget
{
    Q_OBJECT
public:
    explicit SignatureRender(const WindowEnvironment &environment, QWidget *parent = nullptr);
    ~SignatureRender() override;

    ControlWebviewModel &javascriptModel() const { return *m_javascriptModel; }
    // Opens the sheet that asks for the template's fields, at the foot of the preview.
    void askForFields(const SignatureActions::Template &templateHtml);
    SignatureRenderTopbar *topbar() const { return m_topbar; }
    SignatureRenderAppearanceLine *appearanceLine() const { return m_appearanceLine; }
    SignatureRenderNotes *notes() const { return m_notes; }
    SignatureRenderWebView *webView() const { return m_webView; }

private:
    SignaturesEngine &m_engine;
    MailMonitor &m_mailMonitor;
    std::unique_ptr<ControlWebviewModel> m_javascriptModel;
    SignatureRenderTopbar *m_topbar;
    SignatureRenderAppearanceLine *m_appearanceLine;
    SignatureRenderNotes *m_notes;
    SignatureRenderWebView *m_webView;
};
