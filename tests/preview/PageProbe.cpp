#include "tests/preview/PageProbe.h"

#include "preview/PreviewPage.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QTest>
#include <QWebEnginePage>

#include <memory>
#include <unistd.h>

void PageProbe::prepareEnvironment()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QVariant PageProbe::evaluate(QWebEnginePage *page, const QString &script, int timeoutMs)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant &value) { *result = value; });
    QDeadlineTimer deadline(timeoutMs);
    while (!*result && !deadline.hasExpired())
        QTest::qWait(5);
    return result->value_or(QVariant());
}

QString PageProbe::containerHtml(QWebEnginePage *page)
{
    return evaluate(page, QStringLiteral("(function () { var c = document.getElementById('%1');"
                                         " return c ? c.innerHTML : null; })()")
                              .arg(PreviewPage::containerId()))
        .toString();
}

bool PageProbe::waitForPreview(QWebEnginePage *page, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (evaluate(page, QStringLiteral("typeof update === 'function'"), 1000).toBool())
            return true;
        QTest::qWait(10);
    }
    return false;
}

QPoint PageProbe::centreOf(QWebEnginePage *page, const QString &id)
{
    const QString json = evaluate(page, QStringLiteral("JSON.stringify(document.getElementById('%1')"
                                                       ".getBoundingClientRect())")
                                            .arg(id))
                             .toString();
    const QJsonObject rect = QJsonDocument::fromJson(json.toUtf8()).object();
    return QPoint(qRound(rect.value(u"x").toDouble() + rect.value(u"width").toDouble() / 2),
                  qRound(rect.value(u"y").toDouble() + rect.value(u"height").toDouble() / 2));
}
