#pragma once

#include "base/PublishedModel.h"
#include "store/SignatureModel.h"

#include <optional>

// The signature the user selected in the list, if any.
class SignatureSelectionUIModel : public PublishedModel<std::optional<SignatureModel>>
{
public:
    explicit SignatureSelectionUIModel(QObject *parent = nullptr) : PublishedModel(std::nullopt, parent) {}

    Published<std::optional<SignatureModel>> &signature() { return value(); }
    const Published<std::optional<SignatureModel>> &signature() const { return value(); }
};
