#include "bench/StartMarks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

double nowNs(clockid_t clock)
{
    timespec now{};
    ::clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

// Field 22 of /proc/self/stat: the start time in clock ticks after boot.
double processStartNs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return nowNs(CLOCK_BOOTTIME);
    const QByteArray text = stat.readAll();
    // The command name may hold spaces: count fields after its closing parenthesis.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.size() > 19 ? fields.at(19).toDouble() : 0;
    return ticks * 1e9 / double(::sysconf(_SC_CLK_TCK));
}

// Waits for the first event of a type that `accept` takes, on the objects
// whose events pass through `source`.
class FirstEvent : public QObject
{
public:
    using Accept = std::function<bool(QObject *watched)>;

    FirstEvent(QObject *source, QEvent::Type type, const char *name, Accept accept,
               std::function<void()> done, QObject *owner)
        : QObject(owner), m_source(source), m_type(type), m_name(name), m_accept(std::move(accept)),
          m_done(std::move(done))
    {
        source->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == m_type && (!m_accept || m_accept(watched))) {
            m_source->removeEventFilter(this);
            // Queued: the mark falls after this event's paint and its flush.
            QTimer::singleShot(0, this, [this] {
                StartMarks::print(m_name);
                if (m_done)
                    m_done();
            });
        }
        return false;
    }

private:
    QObject *m_source;
    QEvent::Type m_type;
    const char *m_name;
    Accept m_accept;
    std::function<void()> m_done;
};

} // namespace

namespace StartMarks {

double sinceStartMs()
{
    const QByteArray spawned = qgetenv(spawnVariable);
    if (!spawned.isEmpty())
        return (nowNs(CLOCK_MONOTONIC) - spawned.toDouble()) / 1e6;
    return (nowNs(CLOCK_BOOTTIME) - processStartNs()) / 1e6;
}

void print(const char *name)
{
    std::printf("mark %s %.1f\n", name, sinceStartMs());
    std::fflush(stdout);
}

void afterFirstPaint(QWidget *widget, const char *name, std::function<bool()> ready,
                     std::function<void()> done)
{
    new FirstEvent(
        widget, QEvent::Paint, name, [ready = std::move(ready)](QObject *) { return !ready || ready(); },
        std::move(done), widget);
}

void afterFirstExpose(QWidget *widget, const char *name, std::function<void()> done)
{
    // Watched through the application: the native window is created anew when
    // a web view turns the window into one drawn with OpenGL.
    new FirstEvent(
        qApp, QEvent::Expose, name,
        [widget](QObject *watched) {
            QWindow *window = widget->windowHandle();
            return window && watched == window && window->isExposed();
        },
        std::move(done), widget);
}

} // namespace StartMarks
