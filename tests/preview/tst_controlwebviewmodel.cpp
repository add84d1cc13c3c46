#include "preview/ControlWebviewModel.h"
#include "preview/PreviewPage.h"
#include "preview/UpdateScript.h"
#include "preview/WebView.h"
#include "tests/common/StdoutCapture.h"
#include "tests/preview/PageProbe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestControlWebviewModel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void constructionPrintsOneLine();
    void scriptsBeforeAttachWaitAndOnlyTheLastRunsOnce();
    void scriptAfterLoadRunsAtOnce();
    void containerAfterUpdate_data();
    void containerAfterUpdate();
    void failedEvaluationPrintsOneLine_data();
    void failedEvaluationPrintsOneLine();
    void viewAttachedWhenNotLoadingGetsNoObserver();
    void goneViewMakesScriptsWait();
    void timeToReadyPage();

private:
    // A model with its view attached and the page loaded.
    void makeReady();

    std::unique_ptr<ControlWebviewModel> m_model;
    std::unique_ptr<WebView> m_view;
};

void TestControlWebviewModel::initTestCase()
{
    // Starts the engine once, so later timings measure the page, not the process.
    QElapsedTimer clock;
    clock.start();
    WebView warmUp(PreviewPage::html(), nullptr);
    QSignalSpy loaded(&warmUp, &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(20000));
    qInfo("first view of the process (engine start included) to loaded page: %lld ms", clock.elapsed());
}

void TestControlWebviewModel::cleanup()
{
    m_view.reset();
    m_model.reset();
}

void TestControlWebviewModel::makeReady()
{
    m_model = std::make_unique<ControlWebviewModel>();
    m_view = std::make_unique<WebView>(PreviewPage::html(), m_model.get());
    QTRY_COMPARE(m_model->webView(), m_view.get());
    QVERIFY(PageProbe::waitForPreview(m_view->page()));
    QTRY_VERIFY(!m_view->page()->isLoading());
}

void TestControlWebviewModel::constructionPrintsOneLine()
{
    StdoutCapture out;
    ControlWebviewModel model;
    QCOMPARE(out.lines(), QStringList{QStringLiteral("INIT WEBVIEWMODEL")});
    QVERIFY(!model.webView());
    QVERIFY(!model.lastJavascriptToRun());
    QVERIFY(!model.isObservingLoading());
}

void TestControlWebviewModel::scriptsBeforeAttachWaitAndOnlyTheLastRunsOnce()
{
    ControlWebviewModel model;
    const QString first = QStringLiteral("window.runs = (window.runs || []).concat('first')");
    const QString second = QStringLiteral("window.runs = (window.runs || []).concat('second')");
    model.runJavascript(first);
    model.runJavascript(second);
    QCOMPARE(model.lastJavascriptToRun(), std::optional(second));

    WebView view(PreviewPage::html(), &model);
    QVERIFY(!model.webView()); // handed over only after construction
    QTRY_COMPARE(model.webView(), &view);
    QVERIFY(model.isObservingLoading()); // arrived while loading
    // A script arriving during the load replaces the waiting one.
    const QString third = QStringLiteral("window.runs = (window.runs || []).concat('third')");
    model.runJavascript(third);

    QTRY_VERIFY(!model.isObservingLoading());
    QTRY_COMPARE(PageProbe::evaluate(view.page(), QStringLiteral("JSON.stringify(window.runs)")).toString(),
                 QStringLiteral("[\"third\"]"));
    QCOMPARE(model.lastJavascriptToRun(), std::optional(third)); // never cleared
}

void TestControlWebviewModel::scriptAfterLoadRunsAtOnce()
{
    m_model = std::make_unique<ControlWebviewModel>();
    m_model->update(QStringLiteral("<b>waiting</b>"));
    m_view = std::make_unique<WebView>(PreviewPage::html(), m_model.get());
    QTRY_COMPARE(PageProbe::containerHtml(m_view->page()), QStringLiteral("<b>waiting</b>"));
    const std::optional<QString> waited = m_model->lastJavascriptToRun();

    m_model->update(QStringLiteral("<i>now</i>"));
    QCOMPARE(PageProbe::containerHtml(m_view->page()), QStringLiteral("<i>now</i>"));
    QCOMPARE(m_model->lastJavascriptToRun(), waited);
}

void TestControlWebviewModel::containerAfterUpdate_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("shown");

    QTest::newRow("attribute in double quotes") << QStringLiteral("<p class=\"sig\">Jane</p>")
                                                << QStringLiteral("<p class=\"sig\">Jane</p>");
    QTest::newRow("apostrophe") << QStringLiteral("<p>it's</p>") << QStringLiteral("<p>it's</p>");
    QTest::newRow("backslash stays a character") << QStringLiteral("<p>a\\nb\\</p>")
                                                 << QStringLiteral("<p>a\\nb\\</p>");
    QTest::newRow("quoted-printable") << QStringLiteral("<p>caf=C3=A9 =3D</p>") << QStringLiteral("<p>café =</p>");
    QTest::newRow("Windows line ends") << QStringLiteral("<p>a</p>\r\n<p>b</p>\r\n")
                                       << QStringLiteral("<p>a</p><p>b</p>");
    QTest::newRow("line separators") << QStringLiteral("<p>a\u2028b\u2029</p>")
                                     << QStringLiteral("<p>a\u2028b\u2029</p>");
}

void TestControlWebviewModel::containerAfterUpdate()
{
    QFETCH(QString, html);
    QFETCH(QString, shown);
    makeReady();
    StdoutCapture out;
    m_model->update(html);
    QCOMPARE(PageProbe::containerHtml(m_view->page()), shown);
    QCOMPARE(out.lines(), QStringList());
}

void TestControlWebviewModel::failedEvaluationPrintsOneLine_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("line"); // empty: no line

    QTest::newRow("succeeds") << UpdateScript::build(QStringLiteral("<b>x</b>")) << QString();
    QTest::newRow("thrown error") << QStringLiteral("throw new TypeError('boom')")
                                  << QStringLiteral("JavaScript Error: TypeError: boom");
    QTest::newRow("syntax error") << QStringLiteral("update(\"a\rb\")")
                                  << QStringLiteral("JavaScript Error: SyntaxError: Invalid or unexpected token");
    QTest::newRow("unknown function") << QStringLiteral("nowhere()")
                                      << QStringLiteral("JavaScript Error: ReferenceError: nowhere is not defined");
}

void TestControlWebviewModel::failedEvaluationPrintsOneLine()
{
    QFETCH(QString, script);
    QFETCH(QString, line);
    makeReady();
    m_model->update(QStringLiteral("<b>before</b>"));
    StdoutCapture out;
    m_model->runJavascript(script);
    // Evaluations and their replies keep their order, so this read comes after.
    const QString shown = PageProbe::containerHtml(m_view->page());
    QCOMPARE(out.lines(), line.isEmpty() ? QStringList() : QStringList{line});
    if (!line.isEmpty())
        QCOMPARE(shown, QStringLiteral("<b>before</b>"));
}

void TestControlWebviewModel::viewAttachedWhenNotLoadingGetsNoObserver()
{
    makeReady();
    ControlWebviewModel other;
    other.update(QStringLiteral("<b>waits</b>"));
    other.setWebView(m_view.get());
    QVERIFY(!other.isObservingLoading());
    QTest::qWait(100);
    QCOMPARE(PageProbe::containerHtml(m_view->page()), QString());
}

void TestControlWebviewModel::goneViewMakesScriptsWait()
{
    makeReady();
    m_view.reset();
    QVERIFY(!m_model->webView());
    m_model->update(QStringLiteral("<b>later</b>"));
    QCOMPARE(m_model->lastJavascriptToRun(), std::optional(UpdateScript::build(QStringLiteral("<b>later</b>"))));
}

void TestControlWebviewModel::timeToReadyPage()
{
    QElapsedTimer clock;
    clock.start();
    m_model = std::make_unique<ControlWebviewModel>();
    m_model->update(QStringLiteral("<b>first</b>"));
    m_view = std::make_unique<WebView>(PreviewPage::html(), m_model.get());
    connect(m_view.get(), &QWebEngineView::loadFinished, this,
            [&clock] { qInfo("construction to page ready to take scripts: %lld ms", clock.elapsed()); });
    QVERIFY(QTest::qWaitFor(
        [this] { return PageProbe::containerHtml(m_view->page()) == QLatin1String("<b>first</b>"); }, 10000));
    qInfo("construction to first preview shown: %lld ms", clock.elapsed());
}

PREVIEW_WEBENGINE_TEST_MAIN(TestControlWebviewModel)
#include "tst_controlwebviewmodel.moc"
