#include "preview/UpdateScript.h"

#include <QJsonArray>
#include <QJsonDocument>

QString UpdateScript::build(const QString &html)
{
    // A one-element array is the smallest document whose text holds the string;
    // its brackets become the call's parentheses, so the text is copied once more only.
    QByteArray call = QJsonDocument(QJsonArray{html}).toJson(QJsonDocument::Compact);
    call.front() = '(';
    call.back() = ')';
    return QString::fromUtf8(call.prepend("update"));
}
