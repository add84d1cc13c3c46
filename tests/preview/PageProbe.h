#pragma once

#include "preview/PreviewPage.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <memory>
#include <optional>

// Synchronous reads of a live page for tests, from a script world of their own, so nothing a signature
// defines can answer in their place.
namespace PageProbe {

// An expression evaluated with `doc` the document the signature's frame shows.
inline QVariant inSignature(QWebEnginePage *page, const QString &expression)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(
        QStringLiteral("(function () { var doc = document.getElementById('%1').contentDocument;"
                       " return doc ? (%2) : null; })()")
            .arg(PreviewPage::containerId(), expression),
        QWebEngineScript::UserWorld, [result](const QVariant &value) { *result = value; });
    for (QDeadlineTimer deadline(15000); !*result && !deadline.hasExpired();)
        QTest::qWait(5);
    return result->value_or(QVariant());
}

// The shown signature's body as HTML.
inline QString containerHtml(QWebEnginePage *page)
{
    return inSignature(page, QStringLiteral("doc.body ? doc.body.innerHTML : ''")).toString();
}

} // namespace PageProbe
