#pragma once

#include "preview/PreviewPage.h"

#include <QLabel>

class ControlWebviewModel;

// The line under the top bar while the preview is dark: whether the signature
// shows with its own dark colours or inverted. Nothing in light.
class SignatureRenderAppearanceLine : public QLabel
{
    Q_OBJECT
public:
    explicit SignatureRenderAppearanceLine(ControlWebviewModel &javascriptModel, QWidget *parent = nullptr);

    // What the line says for an appearance; nothing for light.
    static QString sentence(PreviewPage::Appearance appearance);

private:
    void refresh();

    ControlWebviewModel &m_javascriptModel;
};
