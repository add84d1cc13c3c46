#pragma once

#include "preview/PreviewPage.h"

#include <QLabel>

class ControlWebviewModel;

// Under the Light / Dark control while the preview is dark: whether the
// signature shows with its own dark colours or inverted. Nothing in light.
class SignatureRenderAppearanceLine : public QLabel
{
    Q_OBJECT
public:
    explicit SignatureRenderAppearanceLine(ControlWebviewModel &javascriptModel, QWidget *parent = nullptr);

    // What the line says for an appearance, and its tool tip; nothing for light.
    static QString sentence(PreviewPage::Appearance appearance);
    static QString explanation(PreviewPage::Appearance appearance);

private:
    void refresh();

    ControlWebviewModel &m_javascriptModel;
};
