#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <memory>
#include <vector>

// Application bundles in the layout the running-application query expects:
// <Name>.app/Contents/Info.plist and a copy of a small program as
// <Name>.app/Contents/MacOS/<Name>. Processes it starts are killed with it.
class AppBundleFixture
{
public:
    AppBundleFixture() = default;
    AppBundleFixture(const AppBundleFixture &) = delete;
    AppBundleFixture &operator=(const AppBundleFixture &) = delete;
    ~AppBundleFixture();

    // Creates the bundle inside folder and returns its executable, or an
    // empty text when it could not be built.
    static QString create(const QString &folder, const QString &name, const QString &bundleIdentifier);
    static QByteArray infoPlist(const QString &bundleIdentifier, const QString &executableName);

    // Starts executable (a copy of sleep) so that it runs until stopped.
    QProcess *start(const QString &executable);
    static void stop(QProcess *process);

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
