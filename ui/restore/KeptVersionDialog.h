#pragma once

#include <QDialog>

class MailMonitor;
class QListView;
class QPushButton;
class SignaturesEngine;
class ChoiceListView;
class KeptVersionItemModel;

// Lists the kept versions of the selected signature, newest first, the
// oldest marked as the original. It opens with none chosen, the preview
// showing what the file holds; the chosen one shows in the window's preview,
// "Restore" writes it back, "Cancel" puts the preview back. Opened without
// blocking.
class KeptVersionDialog : public QDialog
{
    Q_OBJECT
public:
    KeptVersionDialog(SignaturesEngine &engine, MailMonitor &mailMonitor, QWidget *parent);

    QListView *versions() const;
    QPushButton *restoreButton() const { return m_restore; }

    // Covers pane, and beyond it as far as the title and the rows need to be
    // read whole: first away from beside (the preview, which shows the chosen
    // version) where the screen has room, otherwise over beside's near side,
    // never past its middle.
    void placeOver(const QWidget *pane, const QWidget *beside);

    static QString restoreTitle();

private:
    int readableWidth() const;
    void choose(const QModelIndex &index);
    QString chosenFile() const;

    SignaturesEngine &m_engine;
    MailMonitor &m_mailMonitor;
    ChoiceListView *m_versions;
    KeptVersionItemModel *m_model;
    QPushButton *m_restore;
};
