#include "store/ImageEmbedding.h"

#include "platform/RegularFile.h"
#include "store/DataAddress.h"
#include "store/ImageScan.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>
#include <QUuid>

#include <algorithm>
#include <cctype>

namespace {

// A content id made from an image's bytes: a UUID of the form of RFC 9562's
// version 8, from BLAKE2b, which reads a megabyte in a fraction of the time
// the SHA-1 of a version 5 UUID takes.
QString idOf(const QByteArray &image)
{
    QByteArray bytes = QCryptographicHash::hash(image, QCryptographicHash::Blake2b_256).first(16);
    bytes[6] = char((bytes[6] & 0x0f) | 0x80);
    bytes[8] = char((bytes[8] & 0x3f) | 0x80);
    return QUuid::fromRfc4122(bytes).toString(QUuid::WithoutBraces).toUpper();
}

enum class Kind
{
    Kept,
    Data,
    Relative,
    Outside
};

// What an image's address asks of the embedding.
Kind kindOf(const QByteArray &address)
{
    const QByteArray text = address.trimmed();
    if (text.isEmpty())
        return Kind::Kept;
    const qsizetype colon = text.indexOf(':');
    const qsizetype slash = text.indexOf('/');
    const bool hasScheme =
        colon > 0 && (slash < 0 || colon < slash) &&
        std::all_of(text.begin(), text.begin() + colon, [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
        });
    if (hasScheme) {
        const QByteArray scheme = text.first(colon).toLower();
        if (scheme == "data")
            return Kind::Data;
        // A file, or a drive of Windows ("C:\logo.png").
        return scheme == "file" || scheme.size() == 1 ? Kind::Outside : Kind::Kept;
    }
    if (text.startsWith('/') || text.startsWith('\\') || text.startsWith('#'))
        return text.startsWith('#') ? Kind::Kept : Kind::Outside;
    return Kind::Relative;
}

// The type of an image by its leading bytes; empty when it is none of PNG, JPEG and GIF.
QByteArray imageType(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return QByteArrayLiteral("image/png");
    if (bytes.startsWith("\xff\xd8\xff"))
        return QByteArrayLiteral("image/jpeg");
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return QByteArrayLiteral("image/gif");
    return {};
}

QString extensionOf(const QByteArray &type)
{
    return type == "image/jpeg" ? QStringLiteral("jpg") : QString::fromLatin1(type.sliced(6));
}

// Every image the HTML names, with where its tag (or style text) lies.
class Images : public ImageScan
{
public:
    struct Found
    {
        QByteArray address;
        // The attribute that names it; empty in CSS.
        QByteArray attribute;
        Span source;
    };
    QList<Found> found;

protected:
    void image(const Image &image) override
    {
        const QByteArray attribute = image.attribute && !is(image.attribute, "style")
                                         ? QByteArray(reinterpret_cast<const char *>(image.attribute))
                                         : QByteArray();
        found.append({image.address.toByteArray(), attribute, source()});
    }
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Whether bytes before `at` (blanks skipped) end with the attribute's name.
bool namesAttribute(const QByteArray &bytes, qsizetype at, const QByteArray &attribute)
{
    while (at >= 0 && isBlank(bytes[at]))
        --at;
    const qsizetype begin = at + 1 - attribute.size();
    return begin > 0 && isBlank(bytes[begin - 1]) &&
           bytes.sliced(begin, attribute.size()).compare(attribute, Qt::CaseInsensitive) == 0;
}

// Where text, as the HTML writes an address, stands in bytes between from
// and to as the value of attribute (or a later candidate of a srcset), or,
// without one, as a CSS url().
std::optional<qsizetype> locate(const QByteArray &bytes, const QByteArray &text, qsizetype from, qsizetype to,
                                const QByteArray &attribute)
{
    for (qsizetype at = bytes.indexOf(text, from); at >= 0 && at + text.size() <= to;
         at = bytes.indexOf(text, at + 1)) {
        qsizetype before = at - 1;
        if (before >= 0 && (bytes[before] == '"' || bytes[before] == '\''))
            --before;
        else if (before >= 5 && bytes.sliced(before - 5, 6) == "&quot;")
            before -= 6;
        while (before >= 0 && isBlank(bytes[before]))
            --before;
        const qsizetype after = at + text.size();
        const bool ends = after >= bytes.size() || isBlank(bytes[after]) ||
                          QByteArrayView("\"')>,&/").contains(bytes[after]);
        if (before < 0 || !ends)
            continue;
        const char mark = bytes[before];
        if (attribute.isEmpty() ? mark == '('
                                : (mark == '=' && namesAttribute(bytes, before - 1, attribute)) ||
                                      (mark == ',' && attribute == "srcset"))
            return at;
    }
    return std::nullopt;
}

QString named(const QByteArray &address, Kind kind)
{
    if (kind == Kind::Data)
        return QStringLiteral("A data: image");
    const QString text = QString::fromUtf8(address.trimmed());
    return QStringLiteral("The image ") + (text.size() > 80 ? text.first(77) + QStringLiteral("...") : text);
}

// The bytes of an image named by a path relative to folder; none, with why, when it must not be read.
std::optional<QByteArray> fileImage(const QByteArray &address, const QString &folder, QString *failure)
{
    const QUrl url = QUrl::fromEncoded(address.trimmed());
    const QString path = url.path(QUrl::FullyDecoded);
    const QString name = named(address, Kind::Relative);
    const QStringList segments = path.split(u'/');
    // A ".." is refused wherever it leads: the folder is all the HTML may name.
    if (segments.contains(QStringLiteral(".."))) {
        *failure = name + QStringLiteral(" names its file with \"..\", so nothing was embedded.");
        return std::nullopt;
    }
    if (!url.isValid() || url.isEmpty() || path.isEmpty() || path.contains(u'\\')) {
        *failure = name + QStringLiteral(" is outside the HTML file's folder, so nothing was embedded.");
        return std::nullopt;
    }
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QFileInfo file(QDir(folder).filePath(path));
    const QString real = file.canonicalFilePath();
    if (real.isEmpty() || !QFileInfo(real).isFile()) {
        *failure =
            name + QStringLiteral(" is not a file in the HTML file's folder, so nothing was embedded.");
        return std::nullopt;
    }
    if (root.isEmpty() || !real.startsWith(root + u'/')) {
        *failure = name + QStringLiteral(" is outside the HTML file's folder, so nothing was embedded.");
        return std::nullopt;
    }
    if (QFileInfo(real).size() > ImageEmbedding::maximumImageSize) {
        *failure = name + QStringLiteral(" is larger than 5 MB, so nothing was embedded.");
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = RegularFile::read(real, ImageEmbedding::maximumImageSize);
    if (!bytes)
        *failure = name + QStringLiteral(" could not be read, so nothing was embedded.");
    return bytes;
}

} // namespace

std::optional<ImageEmbedding::Embedded> ImageEmbedding::embed(const QString &html,
                                                              const std::optional<QString> &folder,
                                                              QString *failure, bool withData)
{
    QByteArray bytes = html.toUtf8();
    Images scan;
    scan.scan(bytes);
    struct Replacement
    {
        qsizetype at;
        qsizetype size;
        QByteArray address;
    };
    QList<Replacement> replacements;
    Embedded embedded;
    QHash<QByteArray, QString> idOfAddress;
    qsizetype cursor = 0;
    int dataImages = 0;
    for (const Images::Found &found : scan.found) {
        const Kind kind = kindOf(found.address);
        if (kind == Kind::Kept || (kind == Kind::Data && !withData))
            continue;
        const QString name = named(found.address, kind);
        if (kind == Kind::Outside) {
            *failure = name + QStringLiteral(" is outside the HTML file's folder, so nothing was embedded.");
            return std::nullopt;
        }
        if (kind == Kind::Relative && !folder) {
            *failure = name + QStringLiteral(" is named by a relative path, and this HTML comes from no "
                                             "file whose folder holds it, so nothing was embedded.");
            return std::nullopt;
        }
        if (!idOfAddress.contains(found.address)) {
            std::optional<QByteArray> image;
            if (kind == Kind::Data) {
                const std::optional<DataAddress::Data> data = DataAddress::read(found.address);
                image = data ? std::optional(data->bytes) : std::nullopt;
            } else {
                image = fileImage(found.address, *folder, failure);
                if (!image)
                    return std::nullopt;
            }
            const QByteArray type = image ? imageType(*image) : QByteArray();
            if (type.isEmpty()) {
                *failure =
                    name + QStringLiteral(" is not a PNG, JPEG or GIF image, so nothing was embedded.");
                return std::nullopt;
            }
            if (image->size() > maximumImageSize) {
                *failure = name + QStringLiteral(" is larger than 5 MB, so nothing was embedded.");
                return std::nullopt;
            }
            const QString id = idOf(*image);
            idOfAddress.insert(found.address, id);
            const bool known = std::any_of(embedded.images.cbegin(), embedded.images.cend(),
                                           [&](const SignatureImage &held) { return held.contentId == id; });
            if (!known) {
                if (embedded.images.size() == maximumImages) {
                    *failure = QStringLiteral("The HTML names more than %1 images, so nothing was embedded.")
                                   .arg(maximumImages);
                    return std::nullopt;
                }
                const QString filename =
                    kind == Kind::Data
                        ? QStringLiteral("image%1.%2").arg(++dataImages).arg(extensionOf(type))
                        : QFileInfo(QUrl::fromEncoded(found.address.trimmed()).path()).fileName();
                embedded.images.append({id, filename, type, *image});
            }
        }
        // Where the address stands as written: its tag's text, or its style text.
        const QByteArray written = found.address.trimmed();
        cursor = std::max(cursor, found.source.begin);
        std::optional<qsizetype> at = locate(bytes, written, cursor, found.source.end, found.attribute);
        if (!at)
            at = locate(bytes, QByteArray(written).replace("&", "&amp;"), cursor, found.source.end,
                        found.attribute);
        if (!at) {
            *failure = name + QStringLiteral(" could not be found as the HTML writes it, so nothing was "
                                             "embedded.");
            return std::nullopt;
        }
        const qsizetype size = QByteArrayView(bytes).sliced(*at).startsWith(written)
                                   ? written.size()
                                   : QByteArray(written).replace("&", "&amp;").size();
        replacements.append({*at, size, "cid:" + idOfAddress.value(found.address).toLatin1()});
        cursor = *at + size;
    }
    for (auto it = replacements.crbegin(); it != replacements.crend(); ++it)
        bytes.replace(it->at, it->size, it->address);
    embedded.html = QString::fromUtf8(bytes);
    return embedded;
}
