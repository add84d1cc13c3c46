#pragma once

#include "base/Cancellable.h"
#include "base/PublishedModel.h"
#include "store/AppleSignatureContent.h"

#include <QString>

#include <optional>

// The previewed content: the selected signature's file as read at selection,
// with its body decoded once for everyone who shows or checks it. Beside it,
// HTML that the preview shows in the signature's place for a while.
class SignatureRenderUIModel : public PublishedModel<std::optional<AppleSignatureContent>>
{
public:
    explicit SignatureRenderUIModel(QObject *parent = nullptr);

    Published<std::optional<AppleSignatureContent>> &signature() { return value(); }
    const Published<std::optional<AppleSignatureContent>> &signature() const { return value(); }

    // The published signature's body as bodyOf() reads it; empty while there
    // is none. It is already the new one's while the signature's subscribers
    // hear of a set: the model is the first of them.
    const QString &html() const { return m_html; }

    // What the preview shows instead of the signature, as a kept version
    // chosen in the restore dialog or a template as its fields are typed; none
    // puts the signature back. A real change of the signature itself is shown
    // over it. Not announced by changed(): nothing else follows it.
    Published<std::optional<QString>> &shownInstead() { return m_shownInstead; }

    // A file's body decoded as its header declares; where it cannot be, as the file holds it.
    static QString bodyOf(const AppleSignatureContent &content);

private:
    QString m_html;
    Published<std::optional<QString>> m_shownInstead;
    Cancellable m_decoding;
};
