#pragma once

#include "base/PublishedModel.h"

#include <QString>

#include <optional>

// Why the last insert, restore or unlock did not happen (or what an insert
// left out), in one short
// sentence for the top bar; none once the user selects a signature or an
// action succeeds.
class SignatureStatusUIModel : public PublishedModel<std::optional<QString>>
{
public:
    explicit SignatureStatusUIModel(QObject *parent = nullptr) : PublishedModel(std::nullopt, parent) {}

    Published<std::optional<QString>> &message() { return value(); }
    const Published<std::optional<QString>> &message() const { return value(); }
};
