#pragma once

#include <QString>
#include <QVariant>

class QWebEnginePage;

// Synchronous reads of a live page for tests, and the environment a headless
// WebEngine needs.
class PageProbe
{
public:
    // Offscreen platform, no GPU, and no sandbox when running as root.
    static void prepareEnvironment();

    // Evaluates `script` in the page's main world and waits for its result.
    static QVariant evaluate(QWebEnginePage *page, const QString &script, int timeoutMs = 5000);
    static QString containerHtml(QWebEnginePage *page);
    // True once the page's `update` function exists.
    static bool waitForPreview(QWebEnginePage *page, int timeoutMs = 10000);
    // Centre of the element with `id`, in view coordinates.
    static QPoint centreOf(QWebEnginePage *page, const QString &id);
};

#define PREVIEW_WEBENGINE_TEST_MAIN(TestObject)                                                            \
    int main(int argc, char **argv)                                                                         \
    {                                                                                                       \
        PageProbe::prepareEnvironment();                                                                    \
        QApplication app(argc, argv);                                                                       \
        int result = 0;                                                                                     \
        {                                                                                                   \
            TestObject test;                                                                                \
            result = QTest::qExec(&test, argc, argv);                                                       \
        }                                                                                                   \
        return result;                                                                                      \
    }
