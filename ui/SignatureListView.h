#pragma once

#include "ui/WindowEnvironment.h"

#include <QWidget>

class QListView;
class SignatureListModel;
class SignatureRowDelegate;
class SignatureUnlockButton;
class SignaturListTitle;
class SignaturListFooter;

// The left pane: the title, the signatures by name, and the credit line.
// A click on a row publishes it as the selection; a click on a padlock goes
// through the unlock alert.
class SignatureListView : public QWidget
{
    Q_OBJECT
public:
    explicit SignatureListView(const WindowEnvironment &environment, QWidget *parent = nullptr);

    SignatureListModel *model() const { return m_model; }
    QListView *listView() const { return m_listView; }
    SignatureUnlockButton *unlockButton() const { return m_unlockButton; }
    SignaturListTitle *title() const { return m_title; }
    SignaturListFooter *footer() const { return m_footer; }

    // Where a row and its padlock are on screen, in the list's viewport.
    QRect rowRect(int row) const;
    QRect lockRect(int row) const;

private:
    void select(const QModelIndex &index);
    void unlock(const QModelIndex &index);

    WindowEnvironment m_environment;
    SignatureListModel *m_model;
    SignatureRowDelegate *m_delegate;
    SignatureUnlockButton *m_unlockButton;
    SignaturListTitle *m_title;
    QListView *m_listView;
    SignaturListFooter *m_footer;
};
