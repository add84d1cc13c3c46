#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QWebEnginePage;
class QWebEngineView;

// The toolkit's floor for a click: a plain Qt window of the program's size
// holding what the program's window holds, a 250-wide list of the signatures'
// names beside a label above a web view, and nothing of the program. A click
// on a row selects it, sets the label to its name and replaces the page's one
// element with that row's signature through runJavaScript.
class ToolkitFloor : public QWidget
{
public:
    ToolkitFloor(const QStringList &names, const QStringList &signatures);

    QWebEnginePage *page() const;
    QListWidget *list() const { return m_list; }
    // Shows the window and waits until its page has loaded; false, said on
    // standard error, when it did not.
    bool open();
    // A click on the left part of row, as the program's rows are clicked.
    void click(int row);

    // A page of one element, and the question whether a page holds the element with `id`.
    static QString elementPage(const QString &elementId);
    static QString holds(const QString &id);
    // The script that puts html in the element.
    static QString update(const QString &elementId, const QString &html);

private:
    void choose(int row);

    QStringList m_signatures;
    QListWidget *m_list;
    QLabel *m_label;
    QWebEngineView *m_view;
};
