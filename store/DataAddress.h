#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// A data: address ("data:image/png;base64,iVBOR..."), as an image in HTML
// carries its bytes within itself.
namespace DataAddress {
struct Data
{
    // The media type as written, lower-case ("image/png"); empty when none is.
    QByteArray type;
    QByteArray bytes;
};

// None when address is no data: address.
std::optional<Data> read(QByteArrayView address);
// "data:type;base64,..." for bytes.
QByteArray of(const QByteArray &type, const QByteArray &bytes);
} // namespace DataAddress
