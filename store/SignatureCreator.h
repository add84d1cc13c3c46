#pragma once

#include "store/SignatureService.h"
#include "store/SignatureStore.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The making of a new signature: its file in every store, its entry in each
// list, its id in the accounts asked for. SignatureService::create is the way in.
namespace SignatureCreator {

// As SignatureService::create, for the stores and entries of one load.
std::optional<SignatureService::Failure>
create(const QList<SignatureStore> &stores, const QList<SignatureService::Entry> &entries,
       const QString &name, const QString &html, const QStringList &addresses,
       SignatureService::Created *created, const QList<SignatureImage> &images = {});

} // namespace SignatureCreator
