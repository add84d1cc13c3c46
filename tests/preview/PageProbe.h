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

// What a script evaluates to in one of the page's script worlds, once it has run.
inline QVariant run(QWebEnginePage *page, const QString &script, quint32 world = QWebEngineScript::UserWorld)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, world, [result](const QVariant &value) { *result = value; });
    for (QDeadlineTimer deadline(15000); !*result && !deadline.hasExpired();)
        QTest::qWait(5);
    return result->value_or(QVariant());
}

// An expression evaluated with `doc` the document the signature's frame shows; with `loading`, that of
// the page's one frame, shown or still loading.
inline QVariant inSignature(QWebEnginePage *page, const QString &expression, bool loading = false)
{
    return run(page,
               QStringLiteral("(function () { var frame = %1;"
                              " var doc = frame && frame.contentDocument; return doc ? (%2) : null; })()")
                   .arg(loading
                            ? QStringLiteral("document.querySelector('iframe')")
                            : QStringLiteral("document.getElementById('%1')").arg(PreviewPage::containerId()),
                        expression));
}

// The shown signature's body as HTML.
inline QString containerHtml(QWebEnginePage *page)
{
    return inSignature(page, QStringLiteral("doc.body ? doc.body.innerHTML : ''")).toString();
}

} // namespace PageProbe
