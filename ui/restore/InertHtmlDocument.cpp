#include "ui/restore/InertHtmlDocument.h"

InertHtmlDocument::InertHtmlDocument(QObject *parent) : QTextDocument(parent)
{
    // The fallback QTextDocument::resource() asks when loadResource() has nothing.
    setResourceProvider([](const QUrl &) { return QVariant(); });
}

QString InertHtmlDocument::plainText(const QString &html)
{
    InertHtmlDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

QVariant InertHtmlDocument::loadResource(int, const QUrl &)
{
    return {};
}
