#include "store/SignatureFileFormat.h"

#include <QStringDecoder>

namespace {

// Cuts text at separator when it occurs exactly once.
std::optional<std::pair<QString, QString>> cutOnce(const QString &text, QLatin1String separator)
{
    const qsizetype first = text.indexOf(separator);
    if (first < 0)
        return std::nullopt;
    const qsizetype rest = first + separator.size();
    if (text.indexOf(separator, rest) >= 0)
        return std::nullopt;
    return std::make_pair(text.left(first), text.mid(rest));
}

} // namespace

std::optional<AppleSignatureContent> SignatureFileFormat::split(const QString &text)
{
    if (const auto parts = cutOnce(text, QLatin1String("\n\n<")))
        return AppleSignatureContent{parts->first, QLatin1Char('<') + parts->second};
    if (const auto parts = cutOnce(text, QLatin1String("\n\n")))
        return AppleSignatureContent{parts->first, parts->second};
    return std::nullopt;
}

QString SignatureFileFormat::compose(const QString &header, const QString &html)
{
    return header + QLatin1String("\n\n") + html;
}

std::optional<QString> SignatureFileFormat::decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
