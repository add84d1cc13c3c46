// The preview's text rules as tables, then the bridge and the navigation policy, live.
#include "preview/ControlWebviewModel.h"
#include "preview/QuotedPrintable.h"
#include "preview/UpdateScript.h"
#include "preview/web/WebView.h"
#include "tests/common/TestHome.h"
#include "tests/preview/PageProbe.h"

#include <QDesktopServices>

using namespace Qt::StringLiterals;

class TestPreview : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened; // what the system was asked to open
public slots:
    void open(const QUrl &url) { opened.append(url); }

private slots:
    void decoded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty: the text comes back unchanged
        row("=C3=A9", u"caf=C3=A9!"_s, u"caf\u00e9!"_s);
        row("lower case, =3D", u"caf=c3=a9=3D"_s, u"caf\u00e9="_s);
        row("=+A", u"a=+Ab"_s, u"a\nb"_s);
        row("=-0", u"a=-0b"_s, u"a\0b"_s);
        row("width=100", u"<td width=100>caf=C3=A9</td>"_s,
            u"<td width\x10"
            "0>caf\u00e9</td>"_s);
        row("U+FEFF starting a run", u"a=EF=BB=BFb"_s, u"a\uFEFFb"_s);
        row("wide characters before", u"\U0001F600 =C3=A9"_s, u"\U0001F600 \u00e9"_s);
        // All or nothing: each of these leaves the whole text as given.
        for (const QString &text : {u"<p class=\"x\">caf=C3=A9</p>"_s, u"caf=E9"_s, u"=C3 =A9"_s,
                                    u"=C3=A9 and =FF"_s, u"=C0=AF"_s, u"=ED=A0=80"_s, u"caf=C3=A9="_s,
                                    u"a=-1b"_s, u"a=+Gb"_s, u"=\U0001F600"_s, u"a=+4\u0301"_s, u"a=\r\nb"_s})
            row(qPrintable(text), text, QString());
    }
    void decoded()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(QuotedPrintable::decodedFromQuotedPrintable(text), expected.isEmpty() ? text : expected);
    }
    void script_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("argument"); // between update(" and ")
        row("apostrophe", u"'"_s, u"&#39;"_s);
        row("quotes", u"<p class=\"x\">"_s, u"<p class=\\\"x\\\">"_s);
        row("backslash", u"a\\nb"_s, u"a&#092;nb"_s);
        row("backslash before quote", u"\\\""_s, u"&#092;\\\""_s);
        row("soft breaks", u"ab=\r\ncd=\nef"_s, u"abcdef"_s);
        row("soft break then escape", u"t=\r\n=C3=A9"_s, u"t\u00e9"_s);
        row("decoded before escaping", u"=27=5C=22"_s, u"&#39;&#092;\\\""_s);
        row("malformed left as is", u"<a href=\"x\">=C3=A9</a>"_s, u"<a href=\\\"x\\\">=C3=A9</a>"_s);
        row("=+A becomes LF, removed", u"a=+Ab"_s, u"ab"_s);
        row("line ends removed", u"<p>a</p>\r\n<p>b</p>\n\rc"_s, u"<p>a</p><p>b</p>c"_s);
    }
    void script()
    {
        QFETCH(QString, html);
        QFETCH(QString, argument);
        QCOMPARE(UpdateScript::build(html), u"update(\""_s + argument + u"\")"_s);
    }
    void scriptsWaitForTheLoadedPage()
    {
        const auto run = [](const char *name) {
            return u"window.runs = (window.runs || []).concat('%1')"_s.arg(name);
        };
        ControlWebviewModel program; // the program's end, waiting for the module
        WebViewBridge bridge;
        QCOMPARE(TestHome::printed([] { ControlWebviewModel another; }), QStringList{u"INIT WEBVIEWMODEL"_s});
        program.runJavascript(run("first"));
        program.runJavascript(run("second"));
        program.attach([&bridge](const QString &script) { bridge.runJavascript(script); });
        // While the view loads, only the latest script runs, once, when the page is ready; then at once.
        WebView view(PreviewPage::html(), &bridge);
        program.runJavascript(run("third"));
        QTRY_COMPARE_WITH_TIMEOUT(
            PageProbe::evaluate(view.page(), u"JSON.stringify(window.runs)"_s).toString(), u"[\"third\"]"_s,
            20000);
        bridge.runJavascript(run("now"));
        QCOMPARE(PageProbe::evaluate(view.page(), u"window.runs.join()"_s).toString(), u"third,now"_s);
    }
    void whatThePageShows()
    {
        makeReady(u"<b>before load</b>"_s);
        // What reaches the page is the HTML, whatever characters it holds; nothing is printed.
        for (const auto &[html, shown] :
             {std::pair{u"<p class=\"sig\">it's</p>"_s, u"<p class=\"sig\">it's</p>"_s},
              {u"<p>a\\nb\\</p>"_s, u"<p>a\\nb\\</p>"_s},
              {u"<p>caf=C3=A9 =3D</p>"_s, u"<p>caf\u00e9 =</p>"_s},
              {u"<p>a\u2028b\u2029</p>"_s, u"<p>a\u2028b\u2029</p>"_s}}) {
            QCOMPARE(TestHome::printed([&] { m_bridge->update(html); }), QStringList());
            QCOMPARE(PageProbe::containerHtml(page()), shown);
        }
        // Each failed evaluation prints exactly one line and changes nothing.
        for (const auto &[script, line] : {std::pair{"throw new TypeError('boom')", "TypeError: boom"},
                                           {"update(\"a\rb\")", "SyntaxError: Invalid or unexpected token"},
                                           {"nowhere()", "ReferenceError: nowhere is not defined"}}) {
            // Evaluations and their replies keep their order, so the read comes after the error.
            QString shown;
            QCOMPARE(TestHome::printed([&] {
                         m_bridge->runJavascript(QString::fromUtf8(script));
                         shown = PageProbe::containerHtml(page());
                     }),
                     QStringList{u"JavaScript Error: "_s + QString::fromUtf8(line)});
            QCOMPARE(shown, u"<p>a\u2028b\u2029</p>"_s);
        }
    }
    void navigation_data()
    {
        QTest::addColumn<int>("clicked");    // the link the user clicks, or none (-1)
        QTest::addColumn<QString>("script"); // what the page does by itself
        QTest::addColumn<QString>("opened"); // address handed to the system, or none
        row("click", 0, QString(), u"https://example.com/clicked"_s);
        row("click mail link", 3, QString(), u"mailto:jane@example.com"_s);
        row("click target=_blank", 1, QString(), u"https://example.com/blank"_s);
        row("click about link", 2, QString(), QString());
        const QString create = u"var e = document.createElement('%1'); "_s;
        for (const auto &[tag, script] :
             {std::pair{"script location", u"location.href = 'https://example.com/script'"_s},
              {"script clicks a link", u"document.getElementById('link').click()"_s},
              {"script clicks _blank link", u"document.getElementById('blank').click()"_s},
              {"window.open", u"window.open('https://example.com/open')"_s},
              {"meta refresh", create.arg(u"meta") +
                                   u"e.httpEquiv = 'refresh'; e.content = '0;url=https://example.com/m';"
                                   " document.head.appendChild(e)"_s},
              {"script form submit", create.arg(u"form") + u"e.action = 'https://example.com/form';"
                                                           " document.body.appendChild(e); e.submit()"_s},
              {"iframe", create.arg(u"iframe") +
                             u"e.src = 'https://example.com/frame'; document.body.appendChild(e)"_s},
              {"script to about:blank", u"location.href = 'about:blank'"_s},
              {"script to about:version", u"location.href = 'about:version'"_s}})
            row(tag, -1, script, QString());
    }
    void navigation()
    {
        QFETCH(int, clicked);
        QFETCH(QString, script);
        QFETCH(QString, opened);
        for (const QString &scheme : {u"https"_s, u"mailto"_s})
            QDesktopServices::setUrlHandler(scheme, this, "open");
        this->opened.clear();
        const QString link = u"<a id=\"%1\" href=\"%2\" style=\"display:block;height:40px\">x</a>"_s;
        makeReady(link.arg(u"link", u"https://example.com/clicked") +
                  link.arg(u"blank\" target=\"_blank", u"https://example.com/blank") +
                  link.arg(u"about", u"about:blank") + link.arg(u"mail", u"mailto:jane@example.com"));
        m_view->resize(400, 400);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        const qsizetype windows = QApplication::topLevelWidgets().size();
        // Links are 40 high below a margin of 8; what the user did not click goes nowhere.
        QTest::mouseClick(m_view->focusProxy(), Qt::LeftButton, {},
                          QPoint(100, clicked < 0 ? 380 : 28 + 40 * clicked));
        if (!script.isEmpty())
            page()->runJavaScript(script);
        const QList<QUrl> expected = opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)};
        QTRY_COMPARE(this->opened, expected);
        m_bridge->update(u"<b>after</b>"_s); // the next signature, perhaps while the page is replaced
        QTest::qWait(400);
        QVERIFY(this->opened == expected && QApplication::topLevelWidgets().size() == windows);
        // The preview page stays, or comes back, showing the last signature pushed, and can take the next.
        QTRY_COMPARE(PageProbe::containerHtml(page()), u"<b>after</b>"_s);
        QVERIFY(PageProbe::hasUpdate(page()) && page()->url().scheme() == u"data");
        // A refused iframe keeps its initial empty document; a loaded one would be out of reach.
        const QString frame =
            PageProbe::evaluate(page(),
                                u"(function () { try { return frames.length ? "
                                "frames[0].location.href : 'none'; } catch (e) { return 'x'; } })()"_s)
                .toString();
        QVERIFY2(frame == u"none" || frame == u"about:blank", qPrintable(frame));
        for (const QString &scheme : {u"https"_s, u"mailto"_s})
            QDesktopServices::unsetUrlHandler(scheme);
    }

private:
    // A bridge with its view attached and the page ready.
    void makeReady(const QString &html)
    {
        m_bridge = std::make_unique<WebViewBridge>();
        m_bridge->update(html);
        m_view = std::make_unique<WebView>(PreviewPage::html(), m_bridge.get());
        QTRY_VERIFY_WITH_TIMEOUT(PageProbe::containerHtml(page()) == html, 20000);
    }
    QWebEnginePage *page() const { return m_view->page(); }

    std::unique_ptr<WebViewBridge> m_bridge;
    std::unique_ptr<WebView> m_view;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestPreview test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_preview.moc"
