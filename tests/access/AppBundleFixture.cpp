#include "tests/access/AppBundleFixture.h"

#include <QDir>
#include <QFile>

AppBundleFixture::~AppBundleFixture()
{
    for (const auto &process : m_processes)
        stop(process.get());
}

QString AppBundleFixture::create(const QString &folder, const QString &name, const QString &bundleIdentifier)
{
    const QString contents = folder + QLatin1Char('/') + name + QStringLiteral(".app/Contents");
    const QString executable = contents + QStringLiteral("/MacOS/") + name;
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                           "<key>CFBundleExecutable</key><string>" + name.toUtf8() +
                           "</string><key>CFBundleIdentifier</key><string>" + bundleIdentifier.toUtf8() +
                           "</string></dict></plist>\n";
    QFile plist(contents + QStringLiteral("/Info.plist"));
    if (!QDir().mkpath(contents + QStringLiteral("/MacOS")) || !plist.open(QIODevice::WriteOnly) ||
        plist.write(xml) != xml.size() ||
        (!QFile::exists(executable) && !QFile::copy(QStringLiteral("/bin/sleep"), executable)))
        return {};
    QFile::setPermissions(executable, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return executable;
}

QProcess *AppBundleFixture::start(const QString &executable)
{
    auto process = std::make_unique<QProcess>();
    process->start(executable, {QStringLiteral("600")});
    return process->waitForStarted(10000) ? m_processes.emplace_back(std::move(process)).get() : nullptr;
}

void AppBundleFixture::stop(QProcess *process)
{
    if (process && process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(10000);
    }
}
