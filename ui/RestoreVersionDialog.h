#pragma once

#include <QDialog>

class ControlWebviewModel;
class MailMonitor;
class QListView;
class SignaturesEngine;
class SignatureVersionListModel;

// Lists the kept versions of the selected signature, newest first. The
// chosen one shows in the window's preview; "Restore" writes it back,
// "Cancel" puts the preview back. Opened without blocking.
class RestoreVersionDialog : public QDialog
{
    Q_OBJECT
public:
    RestoreVersionDialog(SignaturesEngine &engine, ControlWebviewModel &preview, MailMonitor &mailMonitor,
                         QWidget *parent);

    QListView *versions() const { return m_versions; }

    static QString restoreTitle();

private:
    QString chosenFile() const;

    SignaturesEngine &m_engine;
    ControlWebviewModel &m_preview;
    MailMonitor &m_mailMonitor;
    QListView *m_versions;
    SignatureVersionListModel *m_model;
};
