#pragma once

#include "preview/PreviewPage.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QWebEnginePage>

#include <memory>
#include <optional>

// Synchronous reads of a live page for tests.
namespace PageProbe {

inline QVariant evaluate(QWebEnginePage *page, const QString &script, int timeoutMs = 15000)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant &value) { *result = value; });
    QDeadlineTimer deadline(timeoutMs);
    while (!*result && !deadline.hasExpired())
        QTest::qWait(5);
    return result->value_or(QVariant());
}

inline QString containerHtml(QWebEnginePage *page)
{
    return evaluate(page, QStringLiteral("(function () { var c = document.getElementById('%1');"
                                         " return c ? c.innerHTML : null; })()")
                              .arg(PreviewPage::containerId()))
        .toString();
}

inline bool hasUpdate(QWebEnginePage *page)
{
    return evaluate(page, QStringLiteral("typeof update === 'function'"), 1000).toBool();
}

} // namespace PageProbe
