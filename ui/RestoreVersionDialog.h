#pragma once

#include <QDialog>

class ControlWebviewModel;
class MailMonitor;
class QListView;
class QPushButton;
class SignaturesEngine;
class SignatureRowsView;
class SignatureVersionListModel;

// Lists the kept versions of the selected signature, newest first, the
// oldest marked as the original. It opens with none chosen, the preview
// showing what the file holds; the chosen one shows in the window's preview,
// "Restore" writes it back, "Cancel" puts the preview back. Opened without
// blocking.
class RestoreVersionDialog : public QDialog
{
    Q_OBJECT
public:
    RestoreVersionDialog(SignaturesEngine &engine, ControlWebviewModel &preview, MailMonitor &mailMonitor,
                         QWidget *parent);

    QListView *versions() const;
    QPushButton *restoreButton() const { return m_restore; }

    // Covers pane: whatever the window shows beside it (the preview) stays
    // in view while a version is chosen.
    void placeOver(const QWidget *pane);

    static QString restoreTitle();

private:
    void choose(const QModelIndex &index);
    QString chosenFile() const;

    SignaturesEngine &m_engine;
    ControlWebviewModel &m_preview;
    MailMonitor &m_mailMonitor;
    SignatureRowsView *m_versions;
    SignatureVersionListModel *m_model;
    QPushButton *m_restore;
};
