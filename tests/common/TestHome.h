#pragma once

#include "store/EngineServices.h"
#include "store/SignaturesEngine.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals; // for every suite
using std::tuple;                   // several values compared as one: a failure prints both sides

// The one fixture of every suite: a throw-away home (HOME, settings, data folder) with Mail's sample.
class TestHome
{
public:
    using Entry = std::pair<QString, QString>; // id, name

    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString mail() const { return path() + u"/Library/Mail"_s; }
    // Mail/V10/MailData/Signatures, made by the constructor.
    QString signatures() const { return mail() + u"/V10/MailData/Signatures"_s; }
    QString listFile() const { return signatures() + u"/AllSignatures.plist"_s; }
    QString file(const QString &id) const { return signatures() + u'/' + id + u".mailsignature"_s; }
    // The sample signatures by row.
    QString id(int row) const { return sample().at(row).first; }
    QString name(int row) const { return sample().at(row).second; }
    QString file(int row) const { return file(id(row)); }
    static const QList<Entry> &sample();

    bool writeList(const QList<Entry> &entries) const { return write(listFile(), listXml(entries)); }

    // The iCloud Drive store, as Mail keeps it when it syncs through iCloud Drive.
    QString iCloud() const
    {
        return path() + u"/Library/Mobile Documents/com~apple~mail/Data/V4/Signatures"_s;
    }
    QString iCloudFile(const QString &id) const { return iCloud() + u'/' + id + u".mailsignature"_s; }
    // Makes that store with these entries, each file with a body naming it; a binary list when asked.
    bool makeICloud(const QList<Entry> &entries, bool binary = false) const;
    static QByteArray header(const QString &id);
    // Mail's preferences in its container, where Linux keeps the com.apple.mail domain.
    QString preferences() const
    {
        return path() + u"/Library/Containers/com.apple.mail/Data/Library/Preferences/com.apple.mail.plist"_s;
    }
    // The stores a row names ("local", "iCloud", "both"; iCloud with iCloudOnly too), lists binary when
    // asked, each with Mail's map of two accounts (A1 jane@example.com sends Work, A2 bob@example.org
    // Personal), and Mail's preferences with bob's choice and a key of their own; the folders.
    QStringList prepareStores(const QString &stores, bool binary, const QList<Entry> &iCloudOnly = {}) const;
    // A property list as plistlib (an independent reader) reads it, as JSON; undefined when it cannot.
    static QJsonValue plist(const QString &path);
    // A signature as Mail writes one with an image dragged in: multipart/related, the HTML part
    // quoted-printable (html as the file writes it), then each image (content id, file name, PNG
    // bytes) base64, inline. The older form names the image with <object> instead of <img>.
    struct Part
    {
        QString contentId;
        QString filename;
        QByteArray png;
    };
    static QByteArray related(const QByteArray &html, const QList<Part> &images);
    // 1 x 1 PNGs of one colour: "red", "blue" and "black".
    static QByteArray png(const char *colour);
    static QByteArray listXml(const QList<Entry> &entries);
    // Mail's map of accounts (accounts as account() makes them); an account with the ids of its signatures.
    static QByteArray accountsMap(const QByteArray &accounts)
    {
        return "<plist><dict>" + accounts + "</dict></plist>";
    }
    static QByteArray account(const QString &id, const QString &url, const QStringList &signatures);

    static bool write(const QString &path, const QByteArray &bytes);
    static QByteArray read(const QString &path);
    // The immutable flag through the system's own tools, as another program would change it.
    static bool lock(const QString &path, bool locked = true);
    static bool isLocked(const QString &path);
    // A file's bytes and whether it is locked, compared as one: a failure prints both.
    using State = std::pair<QByteArray, bool>;
    static State state(const QString &path) { return {read(path), isLocked(path)}; }
    // Every file under folder (hidden ones too) but those under except: its bytes and modification time.
    using Snapshot = QMap<QString, std::pair<QByteArray, QDateTime>>;
    static Snapshot snapshot(const QString &folder, const QString &except = {});

    // A stand-in application: folder/<name>.app with a copy of sleep; its executable.
    static QString fakeApp(const QString &folder, const QString &name, const QString &bundleIdentifier);

    // A program run to its end: its exit code (-1 when it did not end by itself) and what it printed.
    struct Run
    {
        int code = -1;
        QByteArray out;
        QString err;
        QJsonDocument json() const { return QJsonDocument::fromJson(out); }
    };
    // command (a program, then its arguments) with input on its standard input and its data folder in this
    // home, as the program finds it without test mode.
    static Run runProgram(QStringList command, const QByteArray &input = {});

    // What action printed on the real standard output, line by line.
    static QStringList printed(const std::function<void()> &action);
    // Python's e-mail package as an independent MIME reader (common/mime_decoded.py): each file's text.
    static QStringList mimeDecoded(const QStringList &files);
    // The same reader's view of each file's parts (common/mime_decoded.py --parts).
    static QJsonArray mimeParts(const QStringList &files);

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};

// One row of a data table: its tag, then the value of each column.
template <typename... Values> void row(const char *tag, const Values &...values)
{
    (QTest::newRow(tag) << ... << values);
}

// A data table's columns by type, named by position; fetch<Types...>() reads the current row's values.
inline const char *const columnNames[] = {"0", "1", "2", "3", "4", "5", "6", "7"};
template <typename... Types> void columns()
{
    int column = 0;
    (QTest::addColumn<Types>(columnNames[column++]), ...);
}
template <typename... Types> std::tuple<Types...> fetch()
{
    return [&]<size_t... Column>(std::index_sequence<Column...>)
    {
        return std::tuple<Types...>{
            *static_cast<Types *>(QTest::qData(columnNames[Column], qMetaTypeId<Types>()))...};
    }
    (std::index_sequence_for<Types...>());
}

// An engine granted access to Mail's folder at once; a plain object named after the folder is its monitor.
inline std::unique_ptr<SignaturesEngine> grantedEngine()
{
    struct Granted : EngineServices
    {
        std::optional<QString> restoreFolderAccess() override { return qEnvironmentVariable("HOME"); }
        void requestFolderAccess(std::function<void(bool)>) override {}
        std::unique_ptr<QObject> startFolderMonitor(const QString &folder, SignaturesEngine *) override
        {
            auto marker = std::make_unique<QObject>();
            marker->setObjectName(folder);
            return marker;
        }
    };
    return std::make_unique<SignaturesEngine>(std::make_unique<Granted>());
}

#ifdef TESTS_MAILSIG
using Run = TestHome::Run;
// In suites that run the real mailsig: what runs it (a program and its arguments), cleared by cleanup().
inline QStringList wrapper;
// mailsig with arguments (a list, or split at spaces) and input, after wrapper.
inline Run mailsig(const QStringList &arguments, const QByteArray &input = {})
{
    return TestHome::runProgram(wrapper + QStringList{QStringLiteral(TESTS_MAILSIG)} + arguments, input);
}
inline Run mailsig(const QString &arguments, const QByteArray &input = {})
{
    return mailsig(arguments.split(u' ', Qt::SkipEmptyParts), input);
}
// mailsig apply name --wait 10 on input, with a stand-in Mail that quits after 1.5 s: whether apply was still
// waiting then, and its run.
inline std::pair<bool, Run> applyWhileMailRuns(const QString &folder, const QString &name,
                                               const QByteArray &input)
{
    QProcess mail, run;
    mail.start(TestHome::fakeApp(folder, QStringLiteral("Mail"), QStringLiteral("com.apple.mail")),
               {QStringLiteral("60")});
    if (!mail.waitForStarted())
        return {false, {}};
    run.start(QStringLiteral(TESTS_MAILSIG),
              {QStringLiteral("apply"), name, QStringLiteral("--wait"), QStringLiteral("10")});
    run.write(input);
    run.closeWriteChannel();
    QTest::qWait(1500);
    const bool waiting = run.state() == QProcess::Running;
    mail.kill();
    mail.waitForFinished();
    if (!run.waitForFinished(15000) || run.exitStatus() != QProcess::NormalExit)
        return {waiting, {}};
    return {waiting,
            {run.exitCode(), run.readAllStandardOutput(), QString::fromUtf8(run.readAllStandardError())}};
}
// The kept versions mailsig reports for of (a signature, or --list-file), newest first.
inline QJsonArray versions(const QString &of)
{
    return mailsig({u"versions"_s, of, u"--json"_s}).json()[u"versions"_s].toArray();
}
#endif
