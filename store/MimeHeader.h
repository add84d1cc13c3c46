#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// The header of a signature file as its bytes, read into fields by GMime, so
// that a field can be replaced or added while every other byte stays as it
// was (Mail's Message-Id, Mime-Version and the order of lines).
class MimeHeader
{
public:
    // None when a line of the header belongs to no field: a MIME reader would
    // take that line, and everything after it, for the body.
    static std::optional<MimeHeader> parse(const QByteArray &bytes);

    const QByteArray &bytes() const { return m_bytes; }

    // The raw value of the first field of that name (any case), unfolded
    // only as far as GMime unfolds it; none when there is no such field.
    std::optional<QByteArray> value(const QByteArray &name) const;

    // The header with every field of that name set to value, or with the
    // field added at the end when there is none. Other bytes are untouched.
    // None when value would not read back as that field.
    std::optional<MimeHeader> with(const QByteArray &name, const QByteArray &value) const;

    // The header without any field of that name, its continuation lines
    // and line break gone with it.
    std::optional<MimeHeader> without(const QByteArray &name) const;

    // How the header's lines end: "\r\n" when they end so, otherwise "\n".
    QByteArray lineBreak() const;

private:
    struct Field
    {
        QByteArray name;
        QByteArray value;
        qsizetype begin = 0;
        // Where the field's text ends, before its line break.
        qsizetype end = 0;
    };

    QByteArray m_bytes;
    QList<Field> m_fields;
};
