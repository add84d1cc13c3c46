// Real failures in the middle of an insert: the file system refusing the write
// partway, a process without the right to change the immutable flag, other
// processes changing the file or the list behind the engine's back. After each
// the signature file is exactly its old content or exactly the new one.
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/common/MailFixture.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/ImmutableFlag.h"
#include "tests/common/TestEnvironment.h"
#include "tests/store/GrantedServices.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

class TestFaultInjection : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writeRefusedPartway();
    void lockNotAllowed();
    void fileChangedBehindTheEngine();
    void listRewrittenWhileRead();

private:
    // Runs work in a forked child (a real, separate process) and returns its exit code.
    template <typename Work>
    static int inChild(Work work)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            work();
            std::fflush(stdout);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    static bool dropImmutableCapability();
    QStringList leftovers() const
    {
        QStringList names = QDir(m_mail->folder()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeOne(QStringLiteral("AllSignatures.plist"));
        for (const auto &entry : m_entries)
            names.removeOne(entry.id + QStringLiteral(".mailsignature"));
        return names;
    }
    QString file(int row) const { return m_mail->signatureFile(m_entries[row].id); }
    void select(int row)
    {
        m_engine->selectionUiModel()->signature().set(m_engine->uiModel()->signatures().get().at(row));
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<MailFixture> m_mail;
    QList<MailFixture::Entry> m_entries;
    std::unique_ptr<SignaturesEngine> m_engine;
};

void TestFaultInjection::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_mail = std::make_unique<MailFixture>(m_env->makeSignaturesFolder());
    m_entries = m_mail->writeSample();
    m_engine = std::make_unique<SignaturesEngine>(std::make_unique<GrantedServices>());
}

void TestFaultInjection::cleanup()
{
    m_engine.reset();
    m_mail.reset();
    m_env.reset();
}

bool TestFaultInjection::dropImmutableCapability()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective &= ~(1u << CAP_LINUX_IMMUTABLE);
    data[0].permitted &= ~(1u << CAP_LINUX_IMMUTABLE);
    return ::syscall(SYS_capset, &header, data) == 0;
}

void TestFaultInjection::writeRefusedPartway()
{
    const QByteArray old = TestEnvironment::readFile(file(0));
    QVERIFY(ImmutableFlag::set(file(0)));
    select(0);
    StdoutCapture out;
    const int code = inChild([this] {
        // The file system takes the first kilobyte and then refuses with EFBIG.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        m_engine->insertSignature(QStringLiteral("<p>%1</p>").arg(QString(64 * 1024, QLatin1Char('x'))));
    });
    QCOMPARE(code, 0);
    QCOMPARE(TestEnvironment::readFile(file(0)), old);
    QVERIFY(SignaturesEngine::isFileImmutable(file(0))); // locked again after the failed write
    QCOMPARE(leftovers(), QStringList());
    const QStringList lines = out.lines();
    QCOMPARE(lines.size(), 1); // the write's error, nothing else
    QVERIFY(!lines[0].isEmpty());
}

void TestFaultInjection::lockNotAllowed()
{
    const QByteArray old = TestEnvironment::readFile(file(0));
    QVERIFY(ImmutableFlag::set(file(0)));
    m_engine->loadSignatures();
    select(0);
    StdoutCapture out;
    // Locked file: the flag cannot be cleared, so nothing is written.
    QCOMPARE(inChild([this] {
                 if (!dropImmutableCapability())
                     ::_exit(3);
                 m_engine->insertSignature(QStringLiteral("<p>new</p>"));
             }),
             0);
    QCOMPARE(TestEnvironment::readFile(file(0)), old);
    QVERIFY(SignaturesEngine::isFileImmutable(file(0)));

    // Unlocked file: written, but the lock cannot be set; it stays unlocked with the new text, and says so.
    select(1);
    QCOMPARE(inChild([this] {
                 if (!dropImmutableCapability())
                     ::_exit(3);
                 m_engine->insertSignature(QStringLiteral("<p>new</p>"));
             }),
             0);
    QCOMPARE(TestEnvironment::readFile(file(1)), MailFixture::header(m_entries[1].id) + "\n\n<p>new</p>");
    QVERIFY(!SignaturesEngine::isFileImmutable(file(1)));
    QCOMPARE(leftovers(), QStringList());
    QCOMPARE(out.lines(), QStringList{QStringLiteral("Failed to lock the signature file: ") + file(1)});
}

void TestFaultInjection::fileChangedBehindTheEngine()
{
    select(0);
    const QByteArray header = MailFixture::header(m_entries[0].id);
    // Another process rewrites the file and locks it between selection and insert.
    QCOMPARE(QProcess::execute(QStringLiteral("sh"),
                               {QStringLiteral("-c"), QStringLiteral("printf 'X: 1\\n\\n<b>other</b>' > \"$0\""), file(0)}),
             0);
    QVERIFY(ImmutableFlag::set(file(0)));
    m_engine->insertSignature(QStringLiteral("<p>mine</p>"));
    QCOMPARE(TestEnvironment::readFile(file(0)), header + "\n\n<p>mine</p>");
    QVERIFY(SignaturesEngine::isFileImmutable(file(0)));

    // Replaced by a link to a file elsewhere: neither written through nor locked.
    const QString outside = m_env->home() + QStringLiteral("/elsewhere.txt");
    TestEnvironment::writeFile(outside, "precious");
    QVERIFY(ImmutableFlag::clear(file(0)));
    QCOMPARE(QProcess::execute(QStringLiteral("ln"), {QStringLiteral("-sf"), outside, file(0)}), 0);
    m_engine->insertSignature(QStringLiteral("<p>mine</p>"));
    QCOMPARE(TestEnvironment::readFile(outside), QByteArray("precious"));
    QVERIFY(!SignaturesEngine::isFileImmutable(outside));

    // Replaced by a FIFO: nothing blocks, nothing is written.
    QFile::remove(file(0));
    QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {file(0)}), 0);
    m_engine->insertSignature(QStringLiteral("<p>mine</p>"));
    StdoutCapture out;
    select(0);
    QCOMPARE(out.lines(), QStringList{QStringLiteral("ERROR")});
    QCOMPARE(leftovers(), QStringList());
}

void TestFaultInjection::listRewrittenWhileRead()
{
    const QByteArray listA = MailFixture::listXml(m_entries);
    const QByteArray listB = MailFixture::listBinary(m_entries.mid(0, 1));
    const QString a = m_env->home() + QStringLiteral("/a.plist");
    const QString b = m_env->home() + QStringLiteral("/b.plist");
    TestEnvironment::writeFile(a, listA);
    TestEnvironment::writeFile(b, listB);
    // A writer that truncates and rewrites the list in place, so reads see partial files.
    QProcess writer;
    writer.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                        QStringLiteral("while :; do cat \"$0\" > \"$2\"; cat \"$1\" > \"$2\"; done"), a,
                                        b, m_mail->listFile()});
    QVERIFY(writer.waitForStarted());
    QSet<qsizetype> sizes;
    for (int i = 0; i < 300; ++i) {
        m_engine->loadSignatures();
        const auto &list = m_engine->uiModel()->signatures().get();
        QVERIFY2(list.isEmpty() || list.size() == 1 || list.size() == 3, qPrintable(QString::number(list.size())));
        if (!list.isEmpty())
            QCOMPARE(list.at(0).id, m_entries[0].id);
        sizes.insert(list.size());
    }
    writer.kill();
    writer.waitForFinished();
    QVERIFY(!sizes.isEmpty());
}

QTEST_GUILESS_MAIN(TestFaultInjection)
#include "tst_faultinjection.moc"
