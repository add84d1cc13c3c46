#pragma once

#include "base/PublishedModel.h"

// Whether access to Mail's folder has been granted during this run.
class SignaturesEngineAccessAuthorize : public PublishedModel<bool>
{
public:
    explicit SignaturesEngineAccessAuthorize(QObject *parent = nullptr) : PublishedModel(false, parent) {}

    Published<bool> &isAuthorized() { return value(); }
    const Published<bool> &isAuthorized() const { return value(); }
};
