#pragma once

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

class QWidget;

// What clicks make a window do, counted by an event filter on the
// application between begin() and end(): the paint events each widget of the
// window gets (for an item view's viewport, how many rows they cover), the
// layout passes (LayoutRequest to a widget with a layout), the moves and
// resizes, and the window's update passes. Beside them, what each widget
// shows and where, before and after, so a text that changed is seen too.
class ClickCensus : public QObject
{
public:
    explicit ClickCensus(QWidget *window);

    void begin();
    void end();

    int clicks() const { return m_clicks; }
    // Totals over every click so far.
    int paints() const;
    int paintsOutside(const QStringList &widgets) const;
    int layoutPasses() const { return m_layoutPasses; }
    int geometryChanges() const;
    int updatePasses() const { return m_updatePasses; }
    int rowsPainted() const;
    // One line per widget and per change, figures per click.
    QStringList report() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Seen
    {
        QRect geometry;
        bool visible = false;
        QString text;
    };
    struct Count
    {
        QString name;
        int paints = 0;
        qint64 area = 0;
        int rows = 0;
        int moves = 0;
        int resizes = 0;
        int layouts = 0;
    };
    QHash<const QWidget *, Seen> snapshot() const;
    Count &countOf(const QWidget *widget);

    QPointer<QWidget> m_window;
    bool m_counting = false;
    int m_clicks = 0;
    int m_layoutPasses = 0;
    int m_updatePasses = 0;
    QHash<const QWidget *, Count> m_counts;
    QHash<const QWidget *, Seen> m_before;
    // "name: what changed" and how often.
    QMap<QString, int> m_changes;
};
