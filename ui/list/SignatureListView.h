#pragma once

#include "ui/SignatureActions.h"
#include <QMimeData>

#include "ui/WindowEnvironment.h"

#include <QWidget>

class QListView;
class SignatureItemModel;
class SignatureUnlockButton;
class SignatureRowDelegate;
class ChoiceListView;
class UnlockAlert;
class SignatureListTitle;
class SignatureListFooter;

// The left pane: the title, the signatures by name, and the credit line.
// A click on a row, or the keyboard moving onto it, publishes it as the
// selection; a locked row's padlock goes through the unlock alert; a right
// click offers the row's earlier versions, and Put Back where it was replaced.
class SignatureListView : public QWidget
{
    Q_OBJECT
public:
    explicit SignatureListView(const WindowEnvironment &environment, QWidget *parent = nullptr);

    SignatureItemModel *model() const { return m_model; }
    QListView *rowsView() const;
    // The padlock button of a row, when its file is locked.
    SignatureUnlockButton *unlockButton(int row) const;

    // Where a row and its padlock are on screen, in the list's viewport.
    QRect rowRect(int row) const;
    QRect lockRect(int row) const;
    // Where a row's mark at position (0 nearest the padlock) is drawn.
    QRect markRect(int row, int position) const;

    static QString restoreActionText();

signals:
    // The user asked to restore an earlier version of the selected signature.
    void restoreRequested();
    // A dropped file held a template: its fields want values before anything is written.
    void fieldsAsked(const SignatureActions::Template &templateHtml);

private:
    void select(const QModelIndex &index);
    // Selects the row dropped on and inserts the HTML file dropped, or says why not.
    void dropOn(const QModelIndex &index, const QMimeData *mime);
    void rowsReset();
    void showContextMenu(const QPoint &position);

    WindowEnvironment m_environment;
    SignatureItemModel *m_model;
    SignatureRowDelegate *m_delegate;
    UnlockAlert *m_unlockAlert;
    SignatureListTitle *m_title;
    ChoiceListView *m_rowsView;
    SignatureListFooter *m_footer;
};
