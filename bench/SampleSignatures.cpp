#include "bench/SampleSignatures.h"

#include "store/KeptVersions.h"
#include "store/SignaturesEngine.h"
#include "tests/common/TestHome.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace SampleSignatures {

QString html(qsizetype bytes, const QString &marker)
{
    // One card: a table, inline styles, a link, a non-ASCII dash and an
    // apostrophe, as signatures copied from a browser look.
    const QString card = QStringLiteral(
        "<table style=\"font-family: Helvetica, Arial, sans-serif; font-size: 13px; color: #222;\"><tr>"
        "<td style=\"padding-right: 12px; border-right: 2px solid #007aff;\"><b style=\"font-size: 15px;\">"
        "Ada Lovelace</b><br>Head of Analytical Engines \u2014 O'Brien & Co.</td>"
        "<td style=\"padding-left: 12px;\">Vellix Ltd.<br><a "
        "href=\"https://vellix.example/\">vellix.example</a>"
        "<br>+44 20 7946 0958</td></tr></table>\n");
    QString text = QStringLiteral("<body style=\"word-wrap: break-word;\"><div id=\"") + marker +
                   QStringLiteral("\">") + marker + QStringLiteral("</div>\n");
    const qsizetype cardBytes = card.toUtf8().size();
    const qsizetype cards = std::max<qsizetype>(1, (bytes - text.size()) / cardBytes + 1);
    text.reserve(text.size() + cards * card.size() + 8);
    for (qsizetype i = 0; i < cards; ++i)
        text += card;
    text += QStringLiteral("</body>");
    return text;
}

QByteArray quotedPrintable(const QByteArray &utf8)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(utf8.size() * 5 / 4);
    int column = 0;
    auto put = [&](const char *piece, int length) {
        if (column + length > 75) {
            out += "=\n";
            column = 0;
        }
        out.append(piece, length);
        column += length;
    };
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n') {
            out += '\n';
            column = 0;
        } else if (byte == '=' || byte >= 0x7f || (byte < 0x20 && byte != '\t')) {
            const char escaped[3] = {'=', hex[byte >> 4], hex[byte & 0xf]};
            put(escaped, 3);
        } else {
            put(&c, 1);
        }
    }
    return out;
}

MailHome::MailHome(int count, qsizetype bodyBytes, int lockEvery, int otherFolders, Stores stores)
    : m_count(count), m_bodyBytes(bodyBytes), m_stores(stores)
{
    if (!m_dir.isValid())
        return;
    const QString mail = m_dir.path() + QStringLiteral("/Library/Mail");
    // Mail keeps more beside its version folder: these must not slow a load.
    for (int i = 0; i < otherFolders; ++i)
        QDir().mkpath(mail + QStringLiteral("/Folder %1").arg(i));
    if (!writeStore(signaturesFolder()))
        return;
    if (stores == Stores::LocalAndICloud && !writeStore(iCloudSignaturesFolder()))
        return;
    if (lockEvery > 0) {
        for (int i = 0; i < m_count; i += lockEvery) {
            SignaturesEngine::setFileLocked(file(i), true);
            if (stores == Stores::LocalAndICloud)
                SignaturesEngine::setFileLocked(iCloudFile(i), true);
        }
    }
    m_valid = true;
}

MailHome::~MailHome()
{
    // A locked file would keep the temporary folder from being removed.
    for (const QString &file : files()) {
        if (SignaturesEngine::isFileImmutable(file))
            SignaturesEngine::setFileLocked(file, false);
    }
}

bool MailHome::writeStore(const QString &folder) const
{
    if (!QDir().mkpath(folder))
        return false;
    QList<TestHome::Entry> entries;
    entries.reserve(m_count);
    bool ok = true;
    for (int i = 0; i < m_count; ++i) {
        entries.append({id(i), QStringLiteral("Signature %1").arg(i)});
        ok = ok && TestHome::write(folder + QLatin1Char('/') + id(i) + QStringLiteral(".mailsignature"),
                                   TestHome::header(id(i)) + "\n\n" +
                                       quotedPrintable(html(m_bodyBytes, marker(i)).toUtf8()));
    }
    return ok && TestHome::write(folder + QStringLiteral("/AllSignatures.plist"), TestHome::listXml(entries));
}

// The local copies, then the iCloud ones.
QStringList MailHome::files() const
{
    // Every signature file there, so ones a benchmark made count as well.
    QStringList all;
    for (const QString &folder : {signaturesFolder(), iCloudSignaturesFolder()}) {
        if (folder.isEmpty())
            continue;
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.mailsignature")}, QDir::Files))
            all.append(dir.filePath(name));
    }
    return all;
}

int MailHome::keepInserted(int every) const
{
    int copies = 0;
    for (int i = 0; every > 0 && i < m_count; i += every) {
        QList<std::pair<SignatureStore::Kind, QString>> copiesOf{{SignatureStore::Kind::Local, file(i)}};
        if (m_stores == Stores::LocalAndICloud)
            copiesOf.append({SignatureStore::Kind::ICloud, iCloudFile(i)});
        for (const auto &[store, path] : copiesOf) {
            QString error;
            const QByteArray before = TestHome::header(id(i)) + "\n\n<div>Mail's own signature</div>";
            if (!KeptVersions::keep(id(i), store, before, KeptVersions::Kind::Kept, &error) ||
                !KeptVersions::keep(id(i), store, TestHome::read(path), KeptVersions::Kind::Inserted, &error))
                return -1;
            ++copies;
        }
    }
    return copies;
}

QString MailHome::signaturesFolder() const
{
    return m_dir.path() + QStringLiteral("/Library/Mail/V10/MailData/Signatures");
}

QString MailHome::iCloudSignaturesFolder() const
{
    if (m_stores != Stores::LocalAndICloud)
        return QString();
    return m_dir.path() + QStringLiteral("/Library/Mobile Documents/com~apple~mail/Data/V10/Signatures");
}

QString MailHome::iCloudFile(int index) const
{
    if (m_stores != Stores::LocalAndICloud)
        return QString();
    return iCloudSignaturesFolder() + QLatin1Char('/') + id(index) + QStringLiteral(".mailsignature");
}

QString MailHome::listFile() const
{
    return signaturesFolder() + QStringLiteral("/AllSignatures.plist");
}

QString MailHome::id(int index) const
{
    return QStringLiteral("6F0A3C2E-5B1D-4C8A-9E7F-%1").arg(index, 12, 10, QLatin1Char('0'));
}

QString MailHome::marker(int index) const
{
    return QStringLiteral("bench-marker-%1").arg(index);
}

void MailHome::enter() const
{
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home() + QStringLiteral("/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home() + QStringLiteral("/.cache")));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home() + QStringLiteral("/.config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home() + QStringLiteral("/.config"));
}

QString MailHome::file(int index) const
{
    return signaturesFolder() + QLatin1Char('/') + id(index) + QStringLiteral(".mailsignature");
}

} // namespace SampleSignatures
