#pragma once

#include <QWidget>

class ControlWebviewModel;
class QToolButton;

// "Light / Dark" in the top bar: a pair of buttons, one of them down, that
// show the preview as Mail does in light or in dark mode. Each takes focus
// and Space; the pair is named "Appearance" for assistive technology.
class SignatureRenderTopbarAppearance : public QWidget
{
    Q_OBJECT
public:
    explicit SignatureRenderTopbarAppearance(ControlWebviewModel &javascriptModel, QWidget *parent = nullptr);

    QToolButton *lightButton() const { return m_light; }
    QToolButton *darkButton() const { return m_dark; }

private:
    void refresh();

    ControlWebviewModel &m_javascriptModel;
    QToolButton *m_light;
    QToolButton *m_dark;
};
