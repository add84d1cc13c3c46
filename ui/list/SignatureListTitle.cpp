#include "ui/list/SignatureListTitle.h"

#include "ui/TextStyles.h"

SignatureListTitle::SignatureListTitle(QWidget *parent) : QLabel(titleText(), parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    QFont caption = TextStyles::caption(font());
    caption.setBold(true);
    setFont(caption);
    setPalette(TextStyles::withTextOpacity(palette(), textOpacity));
}

QString SignatureListTitle::titleText()
{
    return QStringLiteral("Select a signature to modify");
}
