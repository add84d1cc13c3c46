#pragma once

#include "base/PublishedModel.h"
#include "store/SignatureModel.h"

#include <QList>

// The list of Mail's signatures as last loaded, in the list file's order.
class SignatureListUIModel : public PublishedModel<QList<SignatureModel>>
{
public:
    explicit SignatureListUIModel(QObject *parent = nullptr) : PublishedModel({}, parent) {}

    Published<QList<SignatureModel>> &signatures() { return value(); }
    const Published<QList<SignatureModel>> &signatures() const { return value(); }
};
