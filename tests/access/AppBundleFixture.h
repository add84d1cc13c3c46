#pragma once

#include <QProcess>

#include <memory>
#include <vector>

// <Name>.app/Contents/{Info.plist,MacOS/<Name>}, <Name> a copy of sleep; its processes die with it.
class AppBundleFixture
{
public:
    ~AppBundleFixture();
    // The bundle's executable, or an empty text when it could not be built.
    static QString create(const QString &folder, const QString &name, const QString &bundleIdentifier);
    QProcess *start(const QString &executable);
    static void stop(QProcess *process);

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
