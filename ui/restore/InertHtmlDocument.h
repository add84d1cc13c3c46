#pragma once

#include <QTextDocument>

// A text document for HTML that is not ours: it never loads what the HTML
// names (images, style sheets, backgrounds). Such a name could be any local
// file, a device that never ends or a FIFO that never answers.
class InertHtmlDocument : public QTextDocument
{
    Q_OBJECT
public:
    explicit InertHtmlDocument(QObject *parent = nullptr);

    // The text html shows, in plain words, with nothing loaded.
    static QString plainText(const QString &html);

protected:
    QVariant loadResource(int type, const QUrl &name) override;
};
