#include "ui/list/SignatureListFooter.h"

#include "ui/TextStyles.h"

#include <QDesktopServices>

SignatureListFooter::SignatureListFooter(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::RichText);
    setText(QStringLiteral("<a href=\"%1\" style=\"color: %2; text-decoration: underline;\">%3</a>")
                .arg(address().toString(QUrl::FullyEncoded), linkColor().name(), linkText().toHtmlEscaped()));
    setFont(TextStyles::callout(font()));
    setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setOpenExternalLinks(false);
    connect(this, &QLabel::linkActivated, this, [] { QDesktopServices::openUrl(address()); });
}

QString SignatureListFooter::linkText()
{
    return QStringLiteral("Provided by Vellix");
}

QUrl SignatureListFooter::address()
{
    return QUrl(QStringLiteral("https://vellix.example/"));
}

QColor SignatureListFooter::linkColor()
{
    return QColor(0x00, 0x7a, 0xff);
}
