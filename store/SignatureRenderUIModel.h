#pragma once

#include "base/Cancellable.h"
#include "base/PublishedModel.h"
#include "store/AppleSignatureContent.h"
#include "store/SignatureFileFormat.h"

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

    // The published signature's HTML and parts as bodyOf() reads them; empty
    // while there is none. They are already the new one's while the
    // signature's subscribers hear of a set: the model is the first of them.
    const QString &html() const { return m_body.html; }
    const QList<SignatureImage> &images() const { return m_body.parts; }
    const SignatureFileFormat::Body &body() const { return m_body; }

    // What the preview shows instead of the signature, as a kept version
    // chosen in the restore dialog (with its own images) or a template as its
    // fields are typed; none puts the signature back. A real change of the
    // signature itself is shown over it. Not announced by changed(): nothing
    // else follows it.
    Published<std::optional<SignatureFileFormat::Body>> &shownInstead() { return m_shownInstead; }

    // A file's HTML and parts, decoded as its header declares; where the
    // HTML cannot be, the body as the file holds it.
    static SignatureFileFormat::Body bodyOf(const AppleSignatureContent &content);

private:
    SignatureFileFormat::Body m_body;
    Published<std::optional<SignatureFileFormat::Body>> m_shownInstead;
    Cancellable m_decoding;
};
