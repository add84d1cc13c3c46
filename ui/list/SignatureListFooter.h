#pragma once

#include <QLabel>
#include <QUrl>

// The credit line under the list: "Provided by Vellix", a blue underlined
// link to the maker's site, opened in the user's browser.
class SignatureListFooter : public QLabel
{
    Q_OBJECT
public:
    explicit SignatureListFooter(QWidget *parent = nullptr);

    static QString linkText();
    static QUrl address();
    static QColor linkColor();
};
