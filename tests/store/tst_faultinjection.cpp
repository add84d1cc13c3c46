// Real failures in the middle of an insert: the file system refusing the write
// partway, a process without the right to change the immutable flag, other
// processes changing the file or the list behind the engine's back. After each
// the signature file is exactly its old content or exactly the new one.
#include "tests/store/EngineSample.h"

#include <QProcess>
#include <QTest>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Runs work in a forked child, a real and separate process; its exit code.
template <typename Work> int inChild(Work work)
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

void dropImmutableCapability()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        ::_exit(3);
    data[0].effective &= ~(1u << CAP_LINUX_IMMUTABLE);
    data[0].permitted &= ~(1u << CAP_LINUX_IMMUTABLE);
    if (::syscall(SYS_capset, &header, data) != 0)
        ::_exit(3);
}

} // namespace

class TestFaultInjection : public QObject
{
    Q_OBJECT
private slots:
    void writeRefusedPartway()
    {
        EngineSample s;
        const QByteArray old = TestHome::read(s.home.file(0));
        QVERIFY(TestHome::lock(s.home.file(0)));
        s.select(0);
        int code = -1;
        const QStringList lines = TestHome::printed([&] {
            code = inChild([&s] {
                // The file system takes the first kilobyte, then refuses with EFBIG.
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{1024, 1024};
                ::setrlimit(RLIMIT_FSIZE, &limit);
                s.insert(u"<p>%1</p>"_s.arg(QString(64 * 1024, u'x')));
            });
        });
        QCOMPARE(code, 0);
        QCOMPARE(TestHome::read(s.home.file(0)), old);
        QVERIFY(TestHome::isLocked(s.home.file(0))); // locked again after the failed write
        QCOMPARE(QDir(s.home.signatures()).entryList(QDir::Files | QDir::Hidden).size(),
                 4);                                       // no temporary file
        QVERIFY(lines.size() == 1 && !lines[0].isEmpty()); // the write's error
    }
    void lockNotAllowed()
    {
        EngineSample s;
        const QByteArray old = TestHome::read(s.home.file(0));
        QVERIFY(TestHome::lock(s.home.file(0)));
        const auto insertWithoutTheRight = [&s](int row) {
            s.select(row);
            return TestHome::printed([&s] {
                QCOMPARE(inChild([&s] {
                             dropImmutableCapability();
                             s.insert(u"<p>new</p>"_s);
                         }),
                         0);
            });
        };
        // A locked file cannot be unlocked, so nothing is written.
        QCOMPARE(insertWithoutTheRight(0), QStringList());
        QVERIFY(TestHome::read(s.home.file(0)) == old && TestHome::isLocked(s.home.file(0)));
        // An unlocked file is written but cannot be locked: it stays unlocked with the new text, and says so.
        QCOMPARE(insertWithoutTheRight(1),
                 QStringList{u"Failed to lock the signature file: "_s + s.home.file(1)});
        QCOMPARE(TestHome::read(s.home.file(1)), TestHome::header(s.home.id(1)) + "\n\n<p>new</p>");
        QVERIFY(!TestHome::isLocked(s.home.file(1)));
    }
    void fileChangedBehindTheEngine()
    {
        EngineSample s;
        s.select(0);
        // Another process rewrites the file and locks it between selection and insert: the selected header
        // wins.
        QCOMPARE(QProcess::execute(
                     u"sh"_s, {u"-c"_s, u"printf 'X: 1\\n\\n<b>other</b>' > \"$0\" && chattr +i \"$0\""_s,
                               s.home.file(0)}),
                 0);
        QVERIFY(s.insert(u"<p>mine</p>"_s));
        QCOMPARE(TestHome::read(s.home.file(0)), TestHome::header(s.home.id(0)) + "\n\n<p>mine</p>");
        QVERIFY(TestHome::isLocked(s.home.file(0)));

        // Replaced by a link to a file elsewhere: neither written through nor locked.
        const QString outside = s.home.path() + u"/elsewhere"_s;
        TestHome::write(outside, "precious");
        QVERIFY(TestHome::lock(s.home.file(0), false));
        QCOMPARE(QProcess::execute(u"ln"_s, {u"-sf"_s, outside, s.home.file(0)}), 0);
        QVERIFY(!s.insert(u"<p>mine</p>"_s));
        QVERIFY(TestHome::read(outside) == "precious" && !TestHome::isLocked(outside));

        // Replaced by a FIFO: nothing blocks, nothing is written.
        QFile::remove(s.home.file(0));
        QCOMPARE(QProcess::execute(u"mkfifo"_s, {s.home.file(0)}), 0);
        QVERIFY(!s.insert(u"<p>mine</p>"_s));
        QCOMPARE(TestHome::printed([&s] { s.select(0); }), QStringList{u"ERROR"_s});
        QCOMPARE(QDir(s.home.signatures()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 4);
    }
    void listRewrittenWhileRead()
    {
        EngineSample s;
        const QString a = s.home.path() + u"/a.plist"_s, b = s.home.path() + u"/b.plist"_s;
        TestHome::write(a, TestHome::listXml(TestHome::sample()));
        TestHome::write(b, TestHome::listBinary(TestHome::sample().mid(0, 1)));
        // A writer that truncates and rewrites the list in place, so reads see partial files.
        QProcess writer;
        writer.start(u"sh"_s, {u"-c"_s, u"while :; do cat \"$0\" > \"$2\"; cat \"$1\" > \"$2\"; done"_s, a, b,
                               s.home.listFile()});
        QVERIFY(writer.waitForStarted());
        for (int i = 0; i < 300; ++i) {
            s.engine->loadSignatures();
            // The empty list, the old one or the new one, never a mix.
            QVERIFY2(s.list().isEmpty() || s.list().size() == 1 || s.list().size() == 3,
                     qPrintable(QString::number(s.list().size())));
            QVERIFY(s.list().isEmpty() || s.list().at(0).id == s.home.id(0));
        }
        writer.kill();
        writer.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestFaultInjection)
#include "tst_faultinjection.moc"
