#include "preview/ControlWebviewModel.h"
#include "preview/UpdateScript.h"
#include "preview/web/ControlWebview.h"
#include "preview/web/Coordinator.h"
#include "preview/web/PreviewWebModule.h"
#include "preview/web/RoundedOutline.h"
#include "preview/web/WebView.h"
#include "preview/web/WebViewBridge.h"
#include "tests/common/StdoutCapture.h"
#include "tests/preview/PageProbe.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>

#include <memory>

// Stands in for the system's handler of addresses.
class OpenedAddresses : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestPreviewWeb : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void scriptsWaitForTheLoadedPage();
    void containerAfterUpdate();
    void hostViewFrameAndDevTools();
    void navigation_data();
    void navigation();

private:
    // A model with its view attached and the page loaded.
    void makeReady(const QString &html = QString());
    QWebEnginePage *page() const { return m_view->page(); }

    std::unique_ptr<WebViewBridge> m_model;
    std::unique_ptr<WebView> m_view;
};

void TestPreviewWeb::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    m_view.reset();
    m_model.reset();
}

void TestPreviewWeb::makeReady(const QString &html)
{
    m_model = std::make_unique<WebViewBridge>();
    if (!html.isEmpty())
        m_model->update(html);
    m_view = std::make_unique<WebView>(PreviewPage::html(), m_model.get());
    QTRY_COMPARE(m_model->webView(), m_view.get());
    QTRY_VERIFY_WITH_TIMEOUT(PageProbe::hasUpdate(page()) && !page()->isLoading(), 20000);
}

void TestPreviewWeb::scriptsWaitForTheLoadedPage()
{
    StdoutCapture out;
    ControlWebviewModel program; // the program's end, which waits for the module
    WebViewBridge model;
    QCOMPARE(out.lines(), QStringList{QStringLiteral("INIT WEBVIEWMODEL")});
    const auto run = [](const char *name) { return QStringLiteral("window.runs = (window.runs || []).concat('%1')").arg(name); };
    program.runJavascript(run("first"));
    program.runJavascript(run("second"));
    program.attach([&model](const QString &script) { model.runJavascript(script); });
    QCOMPARE(model.lastJavascriptToRun(), std::optional(run("second")));

    QElapsedTimer clock;
    clock.start();
    auto view = std::make_unique<WebView>(PreviewPage::html(), &model);
    QVERIFY(!model.webView()); // handed over only after construction
    QTRY_COMPARE(model.webView(), view.get());
    QVERIFY(model.isWaitingForPage()); // arrived while loading
    model.runJavascript(run("third")); // replaces the waiting one
    QTRY_VERIFY_WITH_TIMEOUT(!model.isWaitingForPage(), 20000);
    qInfo("construction to page ready to take scripts: %lld ms", clock.elapsed());
    QTRY_COMPARE(PageProbe::evaluate(view->page(), QStringLiteral("JSON.stringify(window.runs)")).toString(),
                 QStringLiteral("[\"third\"]"));
    QCOMPARE(model.lastJavascriptToRun(), std::optional(run("third"))); // never cleared

    // After the load a script runs at once, and is the one kept.
    model.runJavascript(run("now"));
    QCOMPARE(PageProbe::evaluate(view->page(), QStringLiteral("window.runs.join()")).toString(), QStringLiteral("third,now"));
    QCOMPARE(model.lastJavascriptToRun(), std::optional(run("now")));

    // Another model attached after loading arms nothing and runs nothing; it
    // holds the view weakly, so once the view is gone scripts wait again.
    WebViewBridge other;
    other.update(QStringLiteral("<b>waits</b>"));
    other.setWebView(view.get());
    QVERIFY(!other.isWaitingForPage());
    QTest::qWait(100);
    QCOMPARE(PageProbe::containerHtml(view->page()), QString());
    view.reset();
    QVERIFY(!other.webView() && !model.webView());
    other.update(QStringLiteral("<b>later</b>"));
    QCOMPARE(other.lastJavascriptToRun(), std::optional(UpdateScript::build(QStringLiteral("<b>later</b>"))));

    // A page that never gets `update` is asked for a few seconds only; the view's next load asks again.
    WebView stuck(QStringLiteral("<script>var asked = 0; Object.defineProperty(window, 'update',"
                                 " {get: function () { ++asked; }});</script>"),
                  &other);
    const auto asked = [&stuck] { return PageProbe::evaluate(stuck.page(), QStringLiteral("asked")).toInt(); };
    QTRY_VERIFY_WITH_TIMEOUT(asked() > 1, 20000);
    QTest::qWait(5500);
    const int before = asked();
    QTest::qWait(300);
    QCOMPARE(asked(), before);
    stuck.coordinator()->loadPreview(PreviewPage::html());
    QTRY_COMPARE_WITH_TIMEOUT(PageProbe::containerHtml(stuck.page()), QStringLiteral("<b>later</b>"), 20000);
}

void TestPreviewWeb::containerAfterUpdate()
{
    makeReady(QStringLiteral("<b>before load</b>"));
    QCOMPARE(PageProbe::containerHtml(page()), QStringLiteral("<b>before load</b>"));
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("<p class=\"sig\">it's</p>"), QStringLiteral("<p class=\"sig\">it's</p>")},
        {QStringLiteral("<p>a\\nb\\</p>"), QStringLiteral("<p>a\\nb\\</p>")},
        {QStringLiteral("<p>caf=C3=A9 =3D</p>"), QStringLiteral("<p>café =</p>")},
        {QStringLiteral("<p>a</p>\r\n<p>b</p>\r\n"), QStringLiteral("<p>a</p><p>b</p>")},
        {QStringLiteral("<p>a\u2028b\u2029</p>"), QStringLiteral("<p>a\u2028b\u2029</p>")}};
    for (const auto &[html, shown] : cases) {
        StdoutCapture out;
        m_model->update(html);
        QCOMPARE(PageProbe::containerHtml(page()), shown);
        QCOMPARE(out.lines(), QStringList());
    }
    // Each failed evaluation prints exactly one line and changes nothing.
    for (const auto &[script, line] : QList<std::pair<const char *, const char *>>{
             {"throw new TypeError('boom')", "TypeError: boom"},
             {"update(\"a\rb\")", "SyntaxError: Invalid or unexpected token"},
             {"nowhere()", "ReferenceError: nowhere is not defined"}}) {
        StdoutCapture out;
        m_model->runJavascript(QString::fromUtf8(script));
        // Evaluations and their replies keep their order, so this read comes after.
        QCOMPARE(PageProbe::containerHtml(page()), QStringLiteral("<p>a\u2028b\u2029</p>"));
        QCOMPARE(out.lines(), QStringList{QStringLiteral("JavaScript Error: ") + QString::fromUtf8(line)});
    }
}

void TestPreviewWeb::hostViewFrameAndDevTools()
{
    // Made through the interface the program loads the module by.
    PreviewWebModule module;
    bool shown = false;
    QWidget window; // the host is always a child, where the mask clips
    auto *host = qobject_cast<ControlWebview *>(module.createPreview(&window, [&shown] { shown = true; }));
    QVERIFY(host && host->parent() == &window);
    QVERIFY(host->webView()->isHidden() && !shown); // the window's background until the page has loaded
    module.runJavascript(host, UpdateScript::build(QStringLiteral("<b>shown</b>")));
    host->resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    WebView *view = host->webView();
    QCOMPARE(host->findChildren<QWebEngineView *>(), QList<QWebEngineView *>{view});
    QTRY_VERIFY_WITH_TIMEOUT(shown && view->isVisible(), 20000);
    QTRY_COMPARE(host->bridge()->webView(), view);
    QTRY_COMPARE(PageProbe::containerHtml(view->page()), QStringLiteral("<b>shown</b>"));

    const QRegion mask = host->mask(); // rounded corners
    QVERIFY(!mask.contains(QPoint(0, 0)) && !mask.contains(QPoint(199, 99)));
    QVERIFY(mask.contains(QPoint(100, 0)) && mask.contains(QPoint(0, 50)) && mask.contains(QPoint(6, 6)));

    // The outline is the foreground colour at a tenth of its strength.
    RoundedOutline outline;
    QPalette palette = outline.palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    outline.setPalette(palette);
    outline.resize(100, 60);
    QImage image(outline.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    outline.render(&image);
    QCOMPARE(image.pixelColor(50, 0).red(), 255);
    QVERIFY2(qAbs(image.pixelColor(50, 0).green() - 230) <= 3, qPrintable(image.pixelColor(50, 0).name()));
    QCOMPARE(image.pixelColor(50, 30), QColor(Qt::white));

    QTest::mouseClick(view->focusProxy(), Qt::RightButton, {}, QPoint(50, 50));
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = view->findChild<QMenu *>()));
    for (QAction *action : menu->actions()) {
        if (action->text() == u"Inspect")
            action->trigger();
    }
    menu->close();
    QVERIFY(view->devToolsView() && view->devToolsView()->isWindow());
    QTRY_VERIFY(view->devToolsView()->isVisible());
    QCOMPARE(view->page()->devToolsPage(), view->devToolsView()->page());
}

void TestPreviewWeb::navigation_data()
{
    QTest::addColumn<int>("clicked"); // the link the user clicks, or none (-1)
    QTest::addColumn<QString>("script");  // what the page does by itself
    QTest::addColumn<QString>("opened");  // address handed to the system, or none
    QTest::newRow("click") << 0 << "" << "https://example.com/clicked";
    QTest::newRow("click mail link") << 3 << "" << "mailto:jane@example.com";
    QTest::newRow("click target=_blank") << 1 << "" << "https://example.com/blank";
    QTest::newRow("click about link") << 2 << "" << "";
    QTest::newRow("script location") << -1 << "location.href = 'https://example.com/script'" << "";
    QTest::newRow("script clicks a link") << -1 << "document.getElementById('link').click()" << "";
    QTest::newRow("script clicks _blank link") << -1 << "document.getElementById('blank').click()" << "";
    QTest::newRow("window.open") << -1 << "window.open('https://example.com/open')" << "";
    QTest::newRow("meta refresh") << -1 << "var m = document.createElement('meta'); m.httpEquiv = 'refresh';"
                                          " m.content = '0;url=https://example.com/meta'; document.head.appendChild(m)" << "";
    QTest::newRow("script form submit") << -1 << "var f = document.createElement('form');"
                                " f.action = 'https://example.com/form'; document.body.appendChild(f); f.submit()" << "";
    QTest::newRow("iframe") << -1 << "var i = document.createElement('iframe'); i.src = 'https://example.com/frame';"
                                     " document.body.appendChild(i)" << "";
    QTest::newRow("script to about:blank") << -1 << "location.href = 'about:blank'" << "";
    QTest::newRow("script to about:version") << -1 << "location.href = 'about:version'" << "";
}

void TestPreviewWeb::navigation()
{
    QFETCH(int, clicked);
    QFETCH(QString, script);
    QFETCH(QString, opened);
    OpenedAddresses handler;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &handler, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &handler, "open");
    const QString block = QStringLiteral(" style=\"display:block;height:40px\">x</a>");
    makeReady(QStringLiteral("<a id=\"link\" href=\"https://example.com/clicked\"") + block
              + QStringLiteral("<a id=\"blank\" href=\"https://example.com/blank\" target=\"_blank\"") + block
              + QStringLiteral("<a id=\"about\" href=\"about:blank\"") + block
              + QStringLiteral("<a id=\"mail\" href=\"mailto:jane@example.com\"") + block);
    m_view->resize(400, 400);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    const qsizetype windows = QApplication::topLevelWidgets().size();

    // Links are 40 high below the body's margin of 8. Even right after a real
    // click elsewhere, a navigation the user did not click goes nowhere.
    QTest::mouseClick(m_view->focusProxy(), Qt::LeftButton, {}, QPoint(100, clicked < 0 ? 380 : 28 + 40 * clicked));
    if (!script.isEmpty())
        page()->runJavaScript(script);
    if (!opened.isEmpty())
        QTRY_COMPARE(handler.urls, QList<QUrl>{QUrl(opened)});
    m_model->update(QStringLiteral("<b>after</b>")); // the next signature, perhaps while the page is replaced
    QTest::qWait(400);
    QCOMPARE(handler.urls, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)});
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);

    // The preview page stays, or comes back, showing the last signature pushed.
    QTRY_COMPARE(PageProbe::containerHtml(page()), QStringLiteral("<b>after</b>"));
    QVERIFY(PageProbe::hasUpdate(page()));
    QCOMPARE(page()->url().scheme(), QStringLiteral("data"));
    // A refused iframe keeps its initial empty document; a loaded one would be out of reach.
    const QString frame = PageProbe::evaluate(page(), QStringLiteral(
        "(function () { try { return frames.length ? frames[0].location.href : 'none'; }"
        " catch (e) { return 'elsewhere'; } })()")).toString();
    QVERIFY2(frame == u"none" || frame == u"about:blank", qPrintable(frame));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestPreviewWeb test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_previewweb.moc"
