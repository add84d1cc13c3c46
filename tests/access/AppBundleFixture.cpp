#include "tests/access/AppBundleFixture.h"

#include <QDir>
#include <QFile>

AppBundleFixture::~AppBundleFixture()
{
    for (const auto &process : m_processes)
        stop(process.get());
}

QByteArray AppBundleFixture::infoPlist(const QString &bundleIdentifier, const QString &executableName)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                             "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                             "<plist version=\"1.0\">\n<dict>\n"
                             "\t<key>CFBundleExecutable</key>\n\t<string>") +
           executableName.toUtf8() +
           QByteArrayLiteral("</string>\n"
                             "\t<key>CFBundleIdentifier</key>\n\t<string>") +
           bundleIdentifier.toUtf8() + QByteArrayLiteral("</string>\n</dict>\n</plist>\n");
}

QString AppBundleFixture::create(const QString &folder, const QString &name, const QString &bundleIdentifier)
{
    const QString contents = folder + QLatin1Char('/') + name + QStringLiteral(".app/Contents");
    const QString executable = contents + QStringLiteral("/MacOS/") + name;
    if (!QDir().mkpath(contents + QStringLiteral("/MacOS")))
        return {};
    QFile plist(contents + QStringLiteral("/Info.plist"));
    if (!plist.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        plist.write(infoPlist(bundleIdentifier, name)) < 0)
        return {};
    plist.close();
    if (!QFile::exists(executable) && !QFile::copy(QStringLiteral("/bin/sleep"), executable))
        return {};
    QFile::setPermissions(executable, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    return executable;
}

QProcess *AppBundleFixture::start(const QString &executable)
{
    auto process = std::make_unique<QProcess>();
    process->start(executable, {QStringLiteral("600")});
    if (!process->waitForStarted(10000))
        return nullptr;
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

void AppBundleFixture::stop(QProcess *process)
{
    if (!process || process->state() == QProcess::NotRunning)
        return;
    process->kill();
    process->waitForFinished(10000);
}
