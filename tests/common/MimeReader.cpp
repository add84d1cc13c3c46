#include "tests/common/MimeReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {
const char script[] = R"PY(
import email, json, sys
out = []
for path in sys.argv[1:]:
    with open(path, 'rb') as f:
        message = email.message_from_bytes(f.read())
    try:
        if message.defects or message.is_multipart() or message.get_content_type() != 'text/html':
            raise ValueError(path)
        payload = message.get_payload(decode=True)
        out.append(payload.decode(message.get_content_charset() or 'us-ascii'))
    except Exception:
        out.append(None)
print(json.dumps(out))
)PY";
} // namespace

QList<std::optional<QString>> MimeReader::decode(const QStringList &files)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + files);
    QList<std::optional<QString>> texts;
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        return texts;
    for (const QJsonValue &value : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        texts.append(value.isString() ? std::optional(value.toString()) : std::nullopt);
    return texts;
}
