#include "preview/UpdateScript.h"

#include "preview/PreviewPage.h"

#include <QJsonArray>
#include <QJsonDocument>

QString UpdateScript::build(const QString &html)
{
    // A one-element array is the smallest document whose text holds the string.
    const QByteArray array = QJsonDocument(QJsonArray{html}).toJson(QJsonDocument::Compact);
    const QString literal = QString::fromUtf8(array.sliced(1, array.size() - 2));
    return QStringLiteral("document.getElementById('%1').srcdoc = ").arg(PreviewPage::containerId()) + literal;
}
