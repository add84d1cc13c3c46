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

// A new signature's id: an upper-case UUID, as Mail makes them.
QString newId();
// The file of a new signature holding html, under the header Mail gives a
// signature it makes, the images html names its parts; none when the HTML
// cannot be encoded.
std::optional<QByteArray> newFile(const QString &html, const QList<SignatureImage> &images = {});

// As SignatureService::create, for the stores and entries of one load.
std::optional<SignatureService::Failure>
create(const QList<SignatureStore> &stores, const QList<SignatureService::Entry> &entries,
       const QString &name, const QString &html, const QStringList &addresses,
       SignatureService::Created *created, const QList<SignatureImage> &images = {});

} // namespace SignatureCreator
