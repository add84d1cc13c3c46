#pragma once

#include "preview/PreviewPage.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <memory>
#include <optional>

// Synchronous reads of a live page for tests, from a script world of their
// own, so nothing a signature defines can answer in their place.
namespace PageProbe {

inline QVariant evaluate(QWebEnginePage *page, const QString &script, int timeoutMs = 15000)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, QWebEngineScript::UserWorld,
                        [result](const QVariant &value) { *result = value; });
    QDeadlineTimer deadline(timeoutMs);
    while (!*result && !deadline.hasExpired())
        QTest::qWait(5);
    return result->value_or(QVariant());
}

// An expression evaluated with `doc` the document the signature's frame shows.
inline QVariant inSignature(QWebEnginePage *page, const QString &expression)
{
    return evaluate(page,
                    QStringLiteral("(function () { var doc = document.getElementById('%1').contentDocument;"
                                   " return doc ? (%2) : null; })()")
                        .arg(PreviewPage::containerId(), expression));
}

// The shown signature's body as HTML.
inline QString containerHtml(QWebEnginePage *page)
{
    return inSignature(page, QStringLiteral("doc.body ? doc.body.innerHTML : ''")).toString();
}

} // namespace PageProbe
