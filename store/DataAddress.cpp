#include "store/DataAddress.h"

std::optional<DataAddress::Data> DataAddress::read(QByteArrayView address)
{
    const QByteArray text = address.toByteArray().trimmed();
    const qsizetype comma = text.indexOf(',');
    if (comma < 5 || text.first(5).toLower() != "data:")
        return std::nullopt;
    const QByteArray header = text.sliced(5, comma - 5).toLower();
    const QByteArray body = QByteArray::fromPercentEncoding(text.sliced(comma + 1));
    Data data;
    data.type = header.first(header.indexOf(';') < 0 ? header.size() : header.indexOf(';')).trimmed();
    if (!header.endsWith(";base64")) {
        data.bytes = body;
        return data;
    }
    // As browsers read it: white space between the characters is skipped.
    data.bytes = QByteArray::fromBase64(body.simplified().replace(' ', ""));
    return data;
}

QByteArray DataAddress::of(const QByteArray &type, const QByteArray &bytes)
{
    return "data:" + type + ";base64," + bytes.toBase64();
}
