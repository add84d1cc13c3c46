#pragma once

#include <QLabel>

// "Select a signature to modify": small, bold, half-transparent text at the
// leading edge above the list.
class SignatureListTitle : public QLabel
{
    Q_OBJECT
public:
    static constexpr qreal textOpacity = 0.5;

    explicit SignatureListTitle(QWidget *parent = nullptr);

    static QString titleText();
};
