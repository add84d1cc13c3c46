#include "tests/common/ImmutableFlag.h"

#include <QProcess>
#include <QtGlobal>

namespace {

bool run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    const bool ok = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0;
    if (output)
        *output = process.readAllStandardOutput();
    return ok;
}

} // namespace

#if defined(Q_OS_MACOS)

bool ImmutableFlag::set(const QString &path)
{
    return run(QStringLiteral("chflags"), {QStringLiteral("uchg"), path});
}

bool ImmutableFlag::clear(const QString &path)
{
    return run(QStringLiteral("chflags"), {QStringLiteral("nouchg"), path});
}

bool ImmutableFlag::isSet(const QString &path)
{
    // Mode, links, owner, group, then the flags: "-" or a list such as "uchg,hidden".
    QByteArray listing;
    const QList<QByteArray> fields = run(QStringLiteral("ls"), {QStringLiteral("-ldO"), path}, &listing)
                                         ? listing.simplified().split(' ')
                                         : QList<QByteArray>();
    return fields.size() > 4 && fields.at(4).split(',').contains("uchg");
}

void ImmutableFlag::clearAll(const QString &folder)
{
    run(QStringLiteral("chflags"),
        {QStringLiteral("-R"), QStringLiteral("-f"), QStringLiteral("nouchg"), folder});
}

#else

bool ImmutableFlag::set(const QString &path)
{
    return run(QStringLiteral("chattr"), {QStringLiteral("+i"), path});
}

bool ImmutableFlag::clear(const QString &path)
{
    return run(QStringLiteral("chattr"), {QStringLiteral("-i"), path});
}

bool ImmutableFlag::isSet(const QString &path)
{
    QByteArray listing;
    return run(QStringLiteral("lsattr"), {QStringLiteral("-d"), path}, &listing) &&
           listing.split(' ').value(0).contains('i');
}

void ImmutableFlag::clearAll(const QString &folder)
{
    run(QStringLiteral("chattr"), {QStringLiteral("-R"), QStringLiteral("-f"), QStringLiteral("-i"), folder});
}

#endif
