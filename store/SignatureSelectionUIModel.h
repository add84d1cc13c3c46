#pragma once

#include "store/Published.h"
#include "store/SignatureModel.h"

#include <QObject>
#include <optional>

// The signature the user selected in the list, if any.
// Every set announces changed(), equal value or not.
class SignatureSelectionUIModel : public QObject
{
    Q_OBJECT
public:
    explicit SignatureSelectionUIModel(QObject *parent = nullptr);

    Published<std::optional<SignatureModel>> &signature() { return m_signature; }
    const Published<std::optional<SignatureModel>> &signature() const { return m_signature; }

signals:
    void changed();

private:
    Published<std::optional<SignatureModel>> m_signature;
};
