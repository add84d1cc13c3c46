#include "tests/common/TestEnvironment.h"

#include "platform/Platform.h"
#include "tests/common/ImmutableFlag.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

TestEnvironment::TestEnvironment()
    : m_oldHome(qgetenv("HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/.config")));
    // Where HOME does not decide which Library the program reads (macOS).
    Platform::redirectHomeFolder(m_dir.path());
    QStandardPaths::setTestModeEnabled(true);
    // Qt looks the settings folder up once per process; point it here for every test.
    const QString config = m_dir.path() + QStringLiteral("/.config");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    // Native settings on macOS are the user's preferences database, which no
    // path moves: files keep every test's settings inside its home.
    QSettings::setDefaultFormat(QSettings::IniFormat);
}

TestEnvironment::~TestEnvironment()
{
    // Locked files would make the temporary folder impossible to remove.
    ImmutableFlag::clearAll(m_dir.path());
    qputenv("HOME", m_oldHome);
    Platform::redirectHomeFolder(std::nullopt);
    if (m_oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
}

QString TestEnvironment::makeSignaturesFolder(const QString &version) const
{
    const QString path = mailFolder() + QLatin1Char('/') + version + QStringLiteral("/MailData/Signatures");
    QDir().mkpath(path);
    return path;
}

bool TestEnvironment::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray TestEnvironment::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
