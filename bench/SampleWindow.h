#pragma once

#include <QString>
#include <QWidget>

#include <QElapsedTimer>
#include <QVariant>

#include <functional>
#include <optional>

class QAbstractItemModel;
class QWebEnginePage;
class QWebEngineView;

// What the window benchmarks share: the program's window opened on a sample
// Mail folder, and a wait that keeps the events flowing.
namespace SampleWindow {
// Takes mailFolder as authorised on an earlier start: before the window is
// built, which restores the access it finds.
void authorise(const QString &mailFolder);

// Shows window and waits until it is on screen; false, said on standard
// error, when it is not.
bool show(QWidget &window);

// Runs the events until condition holds, looking every pollMs; false after timeoutMs.
bool waitFor(const std::function<bool()> &condition, int timeoutMs, int pollMs);

// Waits until window's preview is shown and rows lists count signatures: the preview's web view, or none
// after 30 s, said on standard error.
QWebEngineView *loaded(QWidget &window, const QAbstractItemModel &rows, int count);

// Asks the page what `question`, a script, gives now.
QVariant pageAnswer(QWebEnginePage *page, const QString &question);
// Runs events until page answers yes to question; the time taken in ms since
// clock started, or none after 10 s. probes counts the questions asked.
std::optional<double> until(QWebEnginePage *page, const QString &question, const QElapsedTimer &clock,
                            int &probes);
} // namespace SampleWindow
