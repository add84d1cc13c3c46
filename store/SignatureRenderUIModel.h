#pragma once

#include "store/AppleSignatureContent.h"
#include "store/Published.h"

#include <QObject>
#include <optional>

// The previewed content: the selected signature's file as read at selection.
// Every set announces changed(), equal value or not.
class SignatureRenderUIModel : public QObject
{
    Q_OBJECT
public:
    explicit SignatureRenderUIModel(QObject *parent = nullptr);

    Published<std::optional<AppleSignatureContent>> &signature() { return m_signature; }
    const Published<std::optional<AppleSignatureContent>> &signature() const { return m_signature; }

signals:
    void changed();

private:
    Published<std::optional<AppleSignatureContent>> m_signature;
};
