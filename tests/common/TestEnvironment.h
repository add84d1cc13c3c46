#pragma once

#include <QString>
#include <QTemporaryDir>

// Points HOME and every settings location at a fresh temporary folder, so a
// test never sees the user's Library or preferences. Restores them on exit.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment &) = delete;
    TestEnvironment &operator=(const TestEnvironment &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString home() const { return m_dir.path(); }
    QString mailFolder() const { return home() + QStringLiteral("/Library/Mail"); }

    // Creates Mail/<version>/MailData/Signatures and returns its path.
    QString makeSignaturesFolder(const QString &version = QStringLiteral("V10")) const;

    static bool writeFile(const QString &path, const QByteArray &bytes);
    static QByteArray readFile(const QString &path);

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
};
