#pragma once

#include "base/PublishedModel.h"
#include "store/AppleSignatureContent.h"

#include <optional>

// The previewed content: the selected signature's file as read at selection.
class SignatureRenderUIModel : public PublishedModel<std::optional<AppleSignatureContent>>
{
public:
    explicit SignatureRenderUIModel(QObject *parent = nullptr) : PublishedModel(std::nullopt, parent) {}

    Published<std::optional<AppleSignatureContent>> &signature() { return value(); }
    const Published<std::optional<AppleSignatureContent>> &signature() const { return value(); }
};
