#pragma once

#include <QLabel>
#include <QUrl>

// The credit line under the list: "Provided by Vellix", a blue underlined
// link to the maker's site, opened in the user's browser.
class SignaturListFooter : public QLabel
{
    Q_OBJECT
public:
    explicit SignaturListFooter(QWidget *parent = nullptr);

    static QString linkText();
    static QUrl address();
    static QColor linkColor();
};
