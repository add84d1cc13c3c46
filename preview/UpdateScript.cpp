#include "preview/UpdateScript.h"

#include <QJsonArray>
#include <QJsonDocument>

QString UpdateScript::build(const QString &html)
{
    // A one-element array is the smallest document whose text holds the string.
    const QByteArray array = QJsonDocument(QJsonArray{html}).toJson(QJsonDocument::Compact);
    return QStringLiteral("update(") + QString::fromUtf8(array.sliced(1, array.size() - 2)) + u')';
}
