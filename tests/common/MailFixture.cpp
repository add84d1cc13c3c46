#include "tests/common/MailFixture.h"

#include "tests/common/TestEnvironment.h"

#include <plist/plist.h>

#include <cstdlib>

QByteArray MailFixture::header(const QString &id)
{
    return QByteArrayLiteral("Content-Transfer-Encoding: quoted-printable\n"
                             "Content-Type: text/html;\n"
                             "\tcharset=utf-8\n"
                             "Message-Id: <") +
           id.toUtf8() +
           QByteArrayLiteral(">\n"
                             "Mime-Version: 1.0 (Mac OS X Mail 16.0 \\(3826.400.131.1.6\\))");
}

QByteArray MailFixture::listXml(const QList<Entry> &entries)
{
    QByteArray xml = QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<array>\n");
    for (const Entry &entry : entries) {
        xml += "\t<dict>\n\t\t<key>SignatureIsRich</key>\n\t\t<true/>\n";
        xml += "\t\t<key>SignatureName</key>\n\t\t<string>" + entry.name.toHtmlEscaped().toUtf8() + "</string>\n";
        xml += "\t\t<key>SignatureUniqueId</key>\n\t\t<string>" + entry.id.toHtmlEscaped().toUtf8() +
               "</string>\n\t</dict>\n";
    }
    xml += "</array>\n</plist>\n";
    return xml;
}

QByteArray MailFixture::listBinary(const QList<Entry> &entries)
{
    plist_t array = plist_new_array();
    for (const Entry &entry : entries) {
        plist_t dict = plist_new_dict();
        plist_dict_set_item(dict, "SignatureIsRich", plist_new_bool(1));
        plist_dict_set_item(dict, "SignatureName", plist_new_string(entry.name.toUtf8().constData()));
        plist_dict_set_item(dict, "SignatureUniqueId", plist_new_string(entry.id.toUtf8().constData()));
        plist_array_append_item(array, dict);
    }
    char *data = nullptr;
    uint32_t length = 0;
    plist_to_bin(array, &data, &length);
    QByteArray bytes(data, static_cast<qsizetype>(length));
    std::free(data);
    plist_free(array);
    return bytes;
}

bool MailFixture::writeList(const QList<Entry> &entries) const
{
    return TestEnvironment::writeFile(listFile(), listXml(entries));
}

bool MailFixture::writeSignature(const QString &id, const QByteArray &body) const
{
    return TestEnvironment::writeFile(signatureFile(id), header(id) + "\n\n" + body);
}

QList<MailFixture::Entry> MailFixture::writeSample() const
{
    const QList<Entry> entries = {
        {QStringLiteral("6F0A3C2E-5B1D-4C8A-9E7F-1A2B3C4D5E6F"), QStringLiteral("Work")},
        {QStringLiteral("B2C4D6E8-1A3B-4C5D-8E9F-0A1B2C3D4E5F"), QStringLiteral("Personal")},
        {QStringLiteral("0D9C8B7A-6F5E-4D3C-2B1A-0F9E8D7C6B5A"), QStringLiteral("Short")},
    };
    writeList(entries);
    writeSignature(entries[0].id, "<body style=3D\"word-wrap: break-word;\"><div><b>Ada Lovelace</b></div><div>=\n"
                                  "Analytical Engines Ltd.</div></body>");
    writeSignature(entries[1].id, "<body style=3D\"word-wrap: break-word;\"><div>Ada =E2=80=94 at home</div></body>");
    writeSignature(entries[2].id, "<body style=3D\"word-wrap: break-word;\">A.</body>");
    return entries;
}
