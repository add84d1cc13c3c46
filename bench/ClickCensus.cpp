#include "bench/ClickCensus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLayout>
#include <QPaintEvent>
#include <QWidget>

namespace {

bool isIn(const QWidget *widget, const QWidget *window)
{
    return widget && (widget == window || window->isAncestorOf(widget));
}

// Its class, the text it shows, and its object name when the program gave it one.
QString nameOf(const QWidget *widget)
{
    const QWidget *named = widget;
    QString suffix;
    if (widget->objectName() == u"qt_scrollarea_viewport" && widget->parentWidget()) {
        named = widget->parentWidget();
        suffix = QStringLiteral(" viewport");
    }
    QString name = QString::fromLatin1(named->metaObject()->className());
    if (!named->objectName().isEmpty() && !named->objectName().startsWith(u"qt_"))
        name += u'#' + named->objectName();
    const QString text = named->property("text").toString();
    if (!text.isEmpty())
        name += QStringLiteral(" \"%1\"").arg(text.size() > 24 ? text.left(24) + QChar(0x2026) : text);
    return name + suffix;
}

QString perClick(double total, int clicks)
{
    return QString::number(total / std::max(1, clicks), 'f', 1);
}

} // namespace

ClickCensus::ClickCensus(QWidget *window) : m_window(window)
{
    qApp->installEventFilter(this);
}

void ClickCensus::begin()
{
    m_before = snapshot();
    m_counting = true;
}

void ClickCensus::end()
{
    m_counting = false;
    ++m_clicks;
    const QHash<const QWidget *, Seen> after = snapshot();
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const auto before = m_before.constFind(it.key());
        if (before == m_before.cend())
            continue;
        const QString name = nameOf(it.key());
        if (before->text != it->text)
            ++m_changes[name + QStringLiteral(": text changed")];
        if (before->geometry.size() != it->geometry.size())
            ++m_changes[name + QStringLiteral(": size changed")];
        else if (before->geometry != it->geometry)
            ++m_changes[name + QStringLiteral(": moved")];
        if (before->visible != it->visible)
            ++m_changes[name + (it->visible ? QStringLiteral(": shown") : QStringLiteral(": hidden"))];
    }
}

QHash<const QWidget *, ClickCensus::Seen> ClickCensus::snapshot() const
{
    QHash<const QWidget *, Seen> seen;
    for (const QWidget *widget : m_window->findChildren<QWidget *>())
        seen.insert(widget, {widget->geometry(), widget->isVisible(), widget->property("text").toString()});
    return seen;
}

ClickCensus::Count &ClickCensus::countOf(const QWidget *widget)
{
    Count &count = m_counts[widget];
    if (count.name.isEmpty())
        count.name = nameOf(widget);
    return count;
}

bool ClickCensus::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_counting || !watched->isWidgetType())
        return false;
    const auto *widget = static_cast<QWidget *>(watched);
    if (!isIn(widget, m_window))
        return false;
    switch (event->type()) {
    case QEvent::Paint: {
        const QRegion region = static_cast<QPaintEvent *>(event)->region();
        Count &count = countOf(widget);
        ++count.paints;
        for (const QRect &rect : region)
            count.area += qint64(rect.width()) * rect.height();
        if (const auto *view = qobject_cast<const QAbstractItemView *>(widget->parentWidget());
            view && view->viewport() == widget && view->model()) {
            for (int row = 0; row < view->model()->rowCount(); ++row)
                count.rows += int(region.intersects(view->visualRect(view->model()->index(row, 0))));
        }
        break;
    }
    case QEvent::LayoutRequest:
        // A widget without a layout places its children itself, if at all.
        if (widget->layout()) {
            ++m_layoutPasses;
            ++countOf(widget).layouts;
        }
        break;
    case QEvent::Move:
        ++countOf(widget).moves;
        break;
    case QEvent::Resize:
        ++countOf(widget).resizes;
        break;
    case QEvent::UpdateRequest:
        m_updatePasses += int(widget->isWindow());
        break;
    default:
        break;
    }
    return false;
}

int ClickCensus::paints() const
{
    return paintsOutside({});
}

int ClickCensus::paintsOutside(const QStringList &widgets) const
{
    int paints = 0;
    for (const Count &count : m_counts) {
        if (!widgets.contains(count.name))
            paints += count.paints;
    }
    return paints;
}

int ClickCensus::geometryChanges() const
{
    int changes = 0;
    for (const Count &count : m_counts)
        changes += count.moves + count.resizes;
    return changes;
}

int ClickCensus::rowsPainted() const
{
    int rows = 0;
    for (const Count &count : m_counts)
        rows += count.rows;
    return rows;
}

QStringList ClickCensus::report() const
{
    QStringList lines;
    lines.append(QStringLiteral("per click: %1 paint events, %2 rows painted, %3 layout passes, %4 moves or "
                                "resizes, %5 update passes of the window")
                     .arg(perClick(paints(), m_clicks), perClick(rowsPainted(), m_clicks),
                          perClick(m_layoutPasses, m_clicks), perClick(geometryChanges(), m_clicks),
                          perClick(m_updatePasses, m_clicks)));
    QList<Count> counts = m_counts.values();
    std::sort(counts.begin(), counts.end(), [](const Count &a, const Count &b) { return a.name < b.name; });
    for (const Count &count : counts) {
        QString line = QStringLiteral("  %1: %2 paints, %3 px")
                           .arg(count.name, perClick(count.paints, m_clicks),
                                QString::number(count.area / std::max(1, m_clicks)));
        if (count.rows > 0)
            line += QStringLiteral(", %1 rows").arg(perClick(count.rows, m_clicks));
        if (count.layouts > 0)
            line += QStringLiteral(", %1 layout passes").arg(perClick(count.layouts, m_clicks));
        if (count.moves + count.resizes > 0)
            line += QStringLiteral(", %1 moves, %2 resizes")
                        .arg(perClick(count.moves, m_clicks), perClick(count.resizes, m_clicks));
        lines.append(line);
    }
    for (auto it = m_changes.cbegin(); it != m_changes.cend(); ++it)
        lines.append(QStringLiteral("  %1 (%2 of %3 clicks)").arg(it.key()).arg(it.value()).arg(m_clicks));
    return lines;
}
