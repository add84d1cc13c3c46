#include "tests/common/TestHome.h"

#include "platform/Platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

QByteArray run(const QString &program, const QStringList &arguments, bool *ok = nullptr)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    const bool done = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
                      process.exitCode() == 0;
    if (ok)
        *ok = done;
    return process.readAllStandardOutput();
}

// A property list rewritten in binary form by Python's plistlib, a writer independent of the program.
bool toBinary(const QString &path)
{
    bool ok = false;
    run(u"python3"_s,
        {u"-c"_s,
         QStringLiteral("import plistlib,sys; p=sys.argv[1]; d=plistlib.load(open(p,'rb')); "
                        "plistlib.dump(d, open(p,'wb'), fmt=plistlib.FMT_BINARY)"),
         path},
        &ok);
    return ok;
}

// The immutable flag's tool, and its arguments to set and to clear the flag.
#if defined(Q_OS_MACOS)
const QString flagTool = u"chflags"_s, setFlag = u"uchg"_s, clearFlag = u"nouchg"_s;
#else
const QString flagTool = u"chattr"_s, setFlag = u"+i"_s, clearFlag = u"-i"_s;
#endif

} // namespace

TestHome::TestHome() : m_oldHome(qgetenv("HOME"))
{
    const QString config = path() + u"/.config"_s;
    qputenv("HOME", QFile::encodeName(path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    // Where HOME does not decide which Library the program reads (macOS).
    Platform::redirectHomeFolder(path());
    QStandardPaths::setTestModeEnabled(true);
    // Files: the macOS preferences database cannot be moved by a path.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    // The toolkit's own settings (the file chooser's) take the native format, whose folder is
    // otherwise the first home's for the whole run, and would bring it back once it is removed.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QDir().mkpath(signatures());
    writeList(sample());
    const QByteArray bodies[] = {
        "<body style=3D\"word-wrap: break-word;\"><div><b>Ada Lovelace</b></div><div>=\nAnalytical Engines "
        "Ltd.</div></body>",
        "<body style=3D\"word-wrap: break-word;\"><div>Ada =E2=80=94 at home</div></body>",
        "<body style=3D\"word-wrap: break-word;\">A.</body>"};
    for (int row = 0; row < 3; ++row)
        write(file(row), header(id(row)) + "\n\n" + bodies[row]);
}

TestHome::~TestHome()
{
    // Locked files would make the temporary folder impossible to remove.
    run(flagTool, {u"-R"_s, u"-f"_s, clearFlag, path()});
    qputenv("HOME", m_oldHome);
    Platform::redirectHomeFolder(std::nullopt);
}

const QList<TestHome::Entry> &TestHome::sample()
{
    static const QList<Entry> entries = {{u"6F0A3C2E-5B1D-4C8A-9E7F-1A2B3C4D5E6F"_s, u"Work"_s},
                                         {u"B2C4D6E8-1A3B-4C5D-8E9F-0A1B2C3D4E5F"_s, u"Personal"_s},
                                         {u"0D9C8B7A-6F5E-4D3C-2B1A-0F9E8D7C6B5A"_s, u"Short"_s}};
    return entries;
}

QByteArray TestHome::header(const QString &id)
{
    return "Content-Transfer-Encoding: quoted-printable\nContent-Type: "
           "text/html;\n\tcharset=utf-8\nMessage-Id: <" +
           id.toUtf8() + ">\nMime-Version: 1.0 (Mac OS X Mail 16.0 \\(3826.400.131.1.6\\))";
}

QByteArray TestHome::related(const QByteArray &html, const QList<Part> &images)
{
    QByteArray file =
        "Content-Type: multipart/related;\n\ttype=\"text/html\";\n\tboundary=\"Apple-Mail=_B1\"\n"
        "Message-Id: <M1@x>\nMime-Version: 1.0 (Mac OS X Mail 16.0 \\(3826\\))\n\n"
        "--Apple-Mail=_B1\nContent-Transfer-Encoding: quoted-printable\nContent-Type: "
        "text/html;\n\tcharset=utf-8\n\n" +
        html;
    for (const Part &image : images)
        file += "\n--Apple-Mail=_B1\nContent-Transfer-Encoding: base64\nContent-Disposition: inline;\n"
                "\tfilename=" +
                image.filename.toUtf8() + "\nContent-Type: image/png;\n\tx-unix-mode=0644;\n\tname=\"" +
                image.filename.toUtf8() + "\"\nContent-Id: <" + image.contentId.toUtf8() + ">\n\n" +
                image.png.toBase64();
    return file + "\n--Apple-Mail=_B1--\n";
}

QByteArray TestHome::png(const char *colour)
{
    static const QHash<QByteArray, QByteArray> pngs = {
        {"red",
         "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4nGP4z8DwHwAFAAH/iZk9HQAAAABJRU5ErkJggg=="},
        {"blue",
         "iVBORw0KGgoAAAANSUhEUgAAAAIAAAABCAYAAAD0In+KAAAADklEQVR4nGNgYPj/H4QBDfsD/Yde1YcAAAAASUVORK5CYII="},
        {"black",
         "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4nGNgYGD4DwABBAEAX+XDSwAAAABJRU5ErkJggg=="}};
    return QByteArray::fromBase64(pngs.value(colour));
}

QByteArray TestHome::listXml(const QList<Entry> &entries)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<array>\n";
    for (const auto &[id, name] : entries)
        xml += "\t<dict>\n\t\t<key>SignatureIsRich</key>\n\t\t<true/>\n\t\t<key>SignatureName</"
               "key>\n\t\t<string>" +
               name.toHtmlEscaped().toUtf8() + "</string>\n\t\t<key>SignatureUniqueId</key>\n\t\t<string>" +
               id.toHtmlEscaped().toUtf8() + "</string>\n\t</dict>\n";
    return xml + "</array>\n</plist>\n";
}

QByteArray TestHome::account(const QString &id, const QString &url, const QStringList &signatures)
{
    QByteArray xml = "<key>" + id.toUtf8() + "</key><dict><key>AccountURL</key><string>" +
                     url.toHtmlEscaped().toUtf8() + "</string>";
    if (!signatures.isEmpty())
        xml += "<key>Signatures</key><array><string>" + signatures.join(u"</string><string>"_s).toUtf8() +
               "</string></array>";
    return xml + "</dict>";
}

bool TestHome::makeICloud(const QList<Entry> &entries, bool binary) const
{
    bool ok = QDir().mkpath(iCloud()) && write(iCloud() + u"/AllSignatures.plist"_s, listXml(entries));
    for (const auto &[id, name] : entries)
        ok = ok && write(iCloudFile(id), header(id) + "\n\n<p>" + name.toUtf8() + " in iCloud</p>");
    return ok && (!binary || toBinary(iCloud() + u"/AllSignatures.plist"_s));
}

QStringList TestHome::prepareStores(const QString &stores, bool binary, const QList<Entry> &iCloudOnly) const
{
    QStringList folders;
    if (stores != u"local"_s && makeICloud(sample() + iCloudOnly, binary))
        folders.append(iCloud());
    if (stores == u"iCloud"_s)
        QDir(mail()).removeRecursively();
    else if (folders.append(signatures()); binary)
        toBinary(listFile());
    for (const QString &folder : folders) {
        write(folder + u"/AccountsMap.plist"_s,
              accountsMap(account(u"A1"_s, u"imap://jane%40example.com@x/"_s, {id(0)}) +
                          account(u"A2"_s, u"imap://bob%40example.org@x/"_s, {id(1)})));
        if (binary)
            toBinary(folder + u"/AccountsMap.plist"_s);
    }
    QDir().mkpath(QFileInfo(preferences()).absolutePath());
    write(preferences(), "<plist><dict><key>OtherKey</key><integer>42</integer><key>SignaturesSelected</key>"
                         "<dict><key>A2</key><string>OLD</string></dict><key>SignatureSelectionMethods</key>"
                         "<dict><key>A2</key><string>SequentialSelection</string></dict></dict></plist>");
    if (binary)
        toBinary(preferences());
    return folders;
}

QJsonValue TestHome::plist(const QString &path)
{
    const QByteArray json =
        run(u"python3"_s,
            {u"-c"_s, u"import json,plistlib,sys; print(json.dumps(plistlib.load(open(sys.argv[1],'rb'))))"_s,
             path});
    return QJsonDocument::fromJson("[" + json + "]").array().at(0);
}

bool TestHome::write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray TestHome::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestHome::lock(const QString &path, bool locked)
{
    bool ok = false;
    run(flagTool, {locked ? setFlag : clearFlag, path}, &ok);
    return ok;
}

bool TestHome::isLocked(const QString &path)
{
#if defined(Q_OS_MACOS)
    // Mode, links, owner, group, then the flags: "-" or a list such as "uchg,hidden".
    const QList<QByteArray> fields = run(u"ls"_s, {u"-ldO"_s, path}).simplified().split(' ');
    return fields.size() > 4 && fields.at(4).split(',').contains("uchg");
#else
    return run(u"lsattr"_s, {u"-d"_s, path}).split(' ').value(0).contains('i');
#endif
}

TestHome::Snapshot TestHome::snapshot(const QString &folder, const QString &except)
{
    Snapshot files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        if (const QString file = it.next(); except.isEmpty() || !file.startsWith(except))
            files.insert(file, {read(file), QFileInfo(file).lastModified()});
    return files;
}

QString TestHome::fakeApp(const QString &folder, const QString &name, const QString &bundleIdentifier)
{
    const QString contents = folder + u'/' + name + u".app/Contents"_s;
    const QString executable = contents + u"/MacOS/"_s + name;
    QDir().mkpath(contents + u"/MacOS"_s);
    write(contents + u"/Info.plist"_s, "<plist><dict><key>CFBundleIdentifier</key><string>" +
                                           bundleIdentifier.toUtf8() + "</string></dict></plist>");
    QFile::copy(u"/bin/sleep"_s, executable);
    return executable;
}

TestHome::Run TestHome::runProgram(QStringList command, const QByteArray &input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_DATA_HOME"_s, qEnvironmentVariable("HOME") + u"/.local/share"_s);
    process.setProcessEnvironment(environment);
    process.start(command.takeFirst(), command);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList TestHome::printed(const std::function<void()> &action)
{
    QTemporaryFile capture;
    if (!capture.open())
        return {u"<no capture>"_s};
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(capture.handle(), STDOUT_FILENO);
    action();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    capture.seek(0);
    QString text = QString::fromUtf8(capture.readAll());
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QJsonArray TestHome::mimeParts(const QStringList &files)
{
    return QJsonDocument::fromJson(
               run(u"python3"_s, QStringList{QStringLiteral(TESTS_MIME_READER), u"--parts"_s} + files))
        .array();
}

QStringList TestHome::mimeDecoded(const QStringList &files)
{
    QStringList texts;
    const QByteArray json = run(u"python3"_s, QStringList{QStringLiteral(TESTS_MIME_READER)} + files);
    for (const QJsonValue &value : QJsonDocument::fromJson(json).array())
        texts.append(value.isString() ? value.toString() : u"<unreadable>"_s);
    return texts;
}
