// What the preview shows, read back from a real web engine: the signature exactly, none of its script,
// nothing of an earlier one; in Mail's font, light or dark; and where its links go.
#include "preview/ControlWebviewModel.h"
#include "preview/web/ControlWebview.h"
#include "store/SignatureRenderUIModel.h"
#include "tests/common/TestHome.h"
#include "tests/preview/PageProbe.h"

#include <QDesktopServices>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QWebEngineView>

#include <span>

using Barriers = PreviewPage::Barriers;
using Appearance = PreviewPage::Appearance;
using Content = std::optional<AppleSignatureContent>;
Q_DECLARE_METATYPE(Barriers)

namespace {

// What a handler of a signature would leave if it ran, in its frame or in the page.
const QString mark = u"document.documentElement.setAttribute('data-ran', 1)"_s;
const QString marked = u"document.documentElement.hasAttribute('data-ran') ||"
                       " doc.documentElement.hasAttribute('data-ran')"_s;

// The preview as the program makes it, then with one barrier against the signature taken away: the other
// holds alone. Without both, the program's own script world still keeps the update out of reach.
const std::pair<const char *, Barriers> barrierSets[] = {{"both barriers", {}},
                                                         {"sandbox alone", {true, false}},
                                                         {"policy alone", {false, true}},
                                                         {"neither", {false, false}}};

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened; // what the system was asked to open
    QTcpServer silent;  // takes connections and never answers
public slots:
    void open(const QUrl &url) { opened.append(url); }

private slots:
    void initTestCase()
    {
        for (const QString &scheme : {u"http"_s, u"https"_s, u"mailto"_s, u"tel"_s})
            QDesktopServices::setUrlHandler(scheme, this, "open");
        QVERIFY(silent.listen(QHostAddress::LocalHost));
    }
    void init() { use({}); }
    void startsOnce()
    {
        SignatureRenderUIModel rendered;
        QCOMPARE(TestHome::printed([&rendered] { ControlWebviewModel another(rendered); }),
                 QStringList{u"INIT WEBVIEWMODEL"_s});
    }
    void whatThePageIsHanded_data()
    {
        // The signature before the model starts; then, in turn: "page" attaches the page, "a", "b", "a2"
        // (a's body under another header), "empty" and "none" publish the signature, "=k" shows k instead
        // and "=" clears that; the bodies, or what is instead, that the page's update is handed.
        columns<QString, QString, QString>();
        row("first content", u"none"_s, u"page a"_s, u"a"_s);
        row("same content again", u"none"_s, u"page a a"_s, u"a"_s);
        row("another content", u"none"_s, u"page a b"_s, u"a b"_s);
        row("only the header changed", u"none"_s, u"page a a2"_s, u"a a"_s);
        row("back from none", u"none"_s, u"page a none a"_s, u"a a"_s);
        row("none again", u"none"_s, u"page none none"_s, QString());
        row("empty content is content", u"none"_s, u"page empty"_s, u"empty"_s);
        row("starting value not shown", u"a"_s, u"page a b"_s, u"b"_s);
        row("shown instead", u"none"_s, u"page a =k"_s, u"a k"_s);
        row("cleared: the signature again", u"none"_s, u"page a =k ="_s, u"a k a"_s);
        row("cleared with nothing instead", u"a"_s, u"page ="_s, u"a"_s);
        row("cleared with no signature", u"none"_s, u"page ="_s, QString());
        row("every choice shown", u"none"_s, u"page =k =k =j"_s, u"k k j"_s);
        row("the signature's own change over what is instead", u"none"_s, u"page a =k b"_s, u"a k b"_s);
        row("its repeat keeps what is instead", u"none"_s, u"page a =k a"_s, u"a k"_s);
        row("the page takes only the latest", u"none"_s, u"a =k page"_s, u"k"_s);
        row("nothing yet, nothing handed", u"a"_s, u"page"_s, QString());
    }
    void whatThePageIsHanded()
    {
        const auto [before, steps, handed] = fetch<QString, QString, QString>();
        const QMap<QString, Content> contents{{u"a"_s, AppleSignatureContent{u"H"_s, u"<b>a</b>"_s}},
                                              {u"b"_s, AppleSignatureContent{u"H"_s, u"<i>b</i>"_s}},
                                              {u"a2"_s, AppleSignatureContent{u"H2"_s, u"<b>a</b>"_s}},
                                              {u"empty"_s, AppleSignatureContent{}},
                                              {u"none"_s, std::nullopt}};
        recordUpdates();
        SignatureRenderUIModel rendered;
        rendered.signature().set(contents.value(before));
        ControlWebviewModel javascriptModel(rendered);
        for (const QString &step : steps.split(u' ')) {
            if (step == u"page")
                javascriptModel.attach(m_host);
            else if (step.startsWith(u'='))
                rendered.shownInstead().set(step.size() > 1
                                                ? std::optional(SignatureFileFormat::Body{step.sliced(1), {}})
                                                : std::nullopt);
            else
                rendered.signature().set(contents.value(step));
        }
        QStringList expected; // a signature's body, or the text shown instead
        for (const QString &key : handed.split(u' ', Qt::SkipEmptyParts))
            expected.append(contents.value(key, AppleSignatureContent{{}, key})->htmlContent);
        QCOMPARE(recordedUpdates(), expected);
    }
    void whatThePageShows_data()
    {
        // The html; an action run on the shown document `doc`, as a user might; an expression of `doc`
        // and its expected value; the barriers standing.
        columns<QString, QString, QString, QString, Barriers>();
        const auto row = [](const char *tag, auto... values) { ::row(tag, values..., Barriers()); };
        // What a signature might try, also with either barrier taken away: what is left still stops it.
        const auto blocked = [](const char *tag, auto... values) {
            for (const auto &[name, barriers] : std::span(barrierSets).first(3))
                (QTest::addRow("%s, %s", tag, name) << ... << values) << barriers;
        };
        const QString text = u"doc.body.textContent"_s;
        row("style with a quoted font",
            u"<style>.x{font-family:'DejaVu Sans Mono';color:red}</style><p class=x>a"_s, QString(),
            u"getComputedStyle(doc.querySelector('.x')).fontFamily"_s, u"\"DejaVu Sans Mono\""_s);
        row("pre with line ends", u"<pre>a\nb\r\nc</pre>"_s, QString(),
            u"doc.querySelector('pre').innerText"_s, u"a\nb\nc"_s);
        row("textarea", u"<textarea>x\\y 'q' \"d\"\n</textarea>"_s, QString(),
            u"doc.querySelector('textarea').value"_s, u"x\\y 'q' \"d\"\n"_s);
        row("backslashes, </script>, U+2028, emoji",
            u"<p title=\"</script>\">C:\\new\\t</script>\u2028\u2029\U0001F600"_s, QString(),
            u"doc.querySelector('p').title + doc.body.textContent"_s,
            u"</script>C:\\new\\t\u2028\u2029\U0001F600"_s);
        // Long enough to reach the page in pieces, with an emoji split between two.
        const QString emojis = QString(u"\U0001F600"_s).repeated(150000);
        row("a long signature", u"<p>"_s + emojis + u"\\\"</p>"_s, QString(), text, emojis + u"\\\""_s);
        blocked("inline handler", u"<img src=\"data:,\" onerror=\"%1\"><p onclick=\"%1\">h"_s.arg(mark),
                u"doc.querySelector('p').click()"_s, text, u"h"_s);
        blocked("script element", u"<script>%1</script>s"_s.arg(mark), QString(), text, u"s"_s);
        blocked("javascript: link", u"<a href=\"javascript:%1\">j</a>"_s.arg(mark),
                u"doc.querySelector('a').click()"_s, text, u"j"_s);
        blocked("meta refresh", u"<meta http-equiv=\"refresh\" content=\"0;url=data:text/html,moved\">stay"_s,
                QString(), text, u"stay"_s);
        // The base is the signature's own, as in a mail; the page keeps its address.
        row("base href", u"<base href=\"https://example.com/\"><a href=\"x\">b</a>"_s, QString(),
            u"doc.querySelector('a').href + ' ' + document.baseURI.slice(0, 5)"_s,
            u"https://example.com/x data:"_s);
        // The tree as a new document builds it: by the doctype; the rendering standard.
        const QString tableInParagraph = u"<p>a<table><tr><td>t</table>"_s;
        const QString paragraphHoldsTable = u"doc.compatMode + (doc.querySelector('p table') !== null)"_s;
        row("no doctype", tableInParagraph, QString(), paragraphHoldsTable, u"CSS1Compattrue"_s);
        row("quirks doctype",
            u"<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">"_s + tableInParagraph,
            QString(), paragraphHoldsTable, u"CSS1Compattrue"_s);
        row("doctype html", u"<!DOCTYPE html>"_s + tableInParagraph, QString(), paragraphHoldsTable,
            u"CSS1Compatfalse"_s);
        blocked("form", u"<form action=\"https://example.com/f\"><button>go</button></form>"_s,
                u"doc.querySelector('button').click()"_s, text, u"go"_s);
        // Only the policy keeps them from loading.
        for (const auto &[name, barriers] : std::span(barrierSets).first(3))
            QTest::addRow("object and embed, %s", name)
                << u"<object data=\"data:text/html,o\"></object><embed src=\"data:text/html,e\">"_s
                << QString() << u"doc.defaultView.frames.length"_s << (barriers.policy ? u"0"_s : u"2"_s)
                << barriers;
        blocked("target=_top", u"<a href=\"https://example.com/top\" target=\"_top\">t</a>"_s,
                u"doc.querySelector('a').click()"_s, text, u"t"_s);
        // A millisecond of silence, looped.
        const QString tick =
            u"data:audio/wav;base64,UklGRiwAAABXQVZFZm10IBAAAAABAAEAQB8AAEAfAAABAAgAZGF0YQgAAACAgICAgICAgA=="_s;
        blocked(
            "autoplay",
            u"<audio autoplay loop src=\"%1\"></audio><video autoplay loop src=\"%1\"></video>"_s.arg(tick),
            QString(),
            u"[...doc.querySelectorAll('audio, video')].map(m => m.paused + ' ' + m.readyState).join()"_s,
            u"true 4,true 4"_s);
    }
    void whatThePageShows()
    {
        const auto [html, action, read, expected, barriers] =
            fetch<QString, QString, QString, QString, Barriers>();
        use(barriers);
        show(html);
        if (!action.isEmpty())
            evaluate(action);
        QTest::qWait(300); // for anything that would act late: a refresh, a submit, a handler
        QTRY_COMPARE(evaluate(read), expected); // media may still be loading
        // Still the signature's own document, untouched by any of its script.
        QCOMPARE(evaluate(u"doc.URL + (%1)"_s.arg(marked)), u"about:srcdocfalse"_s);
    }
    void consoleOnlyWhenAsked_data()
    {
        columns<QString, bool>(); // MAILSIG_PREVIEW_CONSOLE; whether the page's console is printed
        row("not set", QString(), false);
        row("1", u"1"_s, true);
    }
    void consoleOnlyWhenAsked()
    {
        // A refused handler has the engine write to the page's console: the case that shows one, run alone in
        // a process of its own, with all it prints read.
        const auto [value, printed] = fetch<QString, bool>();
        value.isNull() ? qunsetenv("MAILSIG_PREVIEW_CONSOLE")
                       : qputenv("MAILSIG_PREVIEW_CONSOLE", value.toUtf8());
        const TestHome::Run run = TestHome::runProgram(
            {QCoreApplication::applicationFilePath(), u"whatThePageShows:inline handler, both barriers"_s});
        qunsetenv("MAILSIG_PREVIEW_CONSOLE");
        QCOMPARE(tuple(run.code, (run.out + run.err.toUtf8()).contains(" js: ")), tuple(0, printed));
    }
    void ownImagesOnly_data()
    {
        // The HTML, shown with a red 1 x 1 image part "R"; an expression of `doc` and its value.
        columns<QString, QString, QString>();
        const QString image = u"[doc.images[0].naturalWidth, doc.images[0].src.slice(0, 14)].join()"_s;
        const QString shown = u"1,data:image/png"_s;
        row("img", u"<img src=\"cid:R\" width=\"20\">"_s, image, shown);
        row("srcset", u"<img srcset=\"cid:R 2x\">"_s, u"doc.images[0].currentSrc.slice(0, 14)"_s,
            u"data:image/png"_s);
        row("Mail's older object",
            u"<object type=\"application/x-apple-msg-attachment\" data=\"cid:R\"></object>"_s,
            u"doc.querySelectorAll('object').length + ',' + (%1)"_s.arg(image), u"0,"_s + shown);
        row("CSS url()", u"<div style=\"width:9px;height:9px;background:url('cid:R')\"></div>"_s,
            u"getComputedStyle(doc.querySelector('div')).backgroundImage.slice(0, 19)"_s,
            u"url(\"data:image/png"_s);
        row("a style element", u"<style>p{background:url(cid:%52)}</style><p>x"_s,
            u"getComputedStyle(doc.querySelector('p')).backgroundImage.slice(0, 19)"_s,
            u"url(\"data:image/png"_s);
        row("a part it does not have", u"<img src=\"cid:S\">"_s, image, u"0,cid:S"_s);
    }
    void ownImagesOnly()
    {
        const auto [html, read, expected] = fetch<QString, QString, QString>();
        const PreviewImages parts{{u"R"_s, "data:image/png;base64," + TestHome::png("red").toBase64()}};
        show(html, {}, parts);
        QTRY_COMPARE(evaluate(read), expected);
    }
    void noImageOfAnotherSignature_data()
    {
        columns<Barriers>();
        for (const auto &[name, barriers] : barrierSets)
            QTest::addRow("%s", name) << barriers;
    }
    void noImageOfAnotherSignature()
    {
        // The same cid: in the next signature, which holds no such part, stays a broken image.
        use(std::get<0>(fetch<Barriers>()));
        const QString html = u"<img src=\"cid:R\">"_s;
        const QString read = u"[doc.images[0].naturalWidth, doc.images[0].src].join()"_s;
        show(html, {}, {{u"R"_s, "data:image/png;base64," + TestHome::png("red").toBase64()}});
        QTRY_COMPARE(evaluate(read).left(13), u"1,data:image/"_s);
        show(html + u"<p>next</p>"_s);
        QTest::qWait(300);
        QCOMPARE(evaluate(read), u"0,cid:R"_s);
    }
    void nothingLeftOver_data()
    {
        // The first would catch the update of the next if it could run: through the page's
        // globals and prototypes, with the frame's scroll position and styles left behind.
        const QString catcher =
            u"parent.eval = function () { %1 }; Object.defineProperty(parent.HTMLIFrameElement.prototype,"
            " 'srcdoc', { set: function () { %1 } }); parent.document.getElementById = function () { %1 }"_s
                .arg(mark);
        const QString first =
            u"<style>body{background:rgb(1,2,3)}p{color:rgb(4,5,6)}</style><img src=\"data:,\" "
            u"onerror=\"%1\"><div style=\"height:5000px\"></div><p>first</p>"_s.arg(catcher);
        columns<QString, Barriers>();
        for (const auto &[name, barriers] : barrierSets) {
            QTest::addRow("styles, scroll position, a handler; %s", name) << first << barriers;
            // Meta elements the engine keeps acting on after they are gone.
            QTest::addRow("a policy; %s", name)
                << u"<meta http-equiv=\"Content-Security-Policy\" content=\"img-src 'none'\">"_s + first
                << barriers;
            QTest::addRow("a colour scheme; %s", name)
                << u"<meta name=\"color-scheme\" content=\"dark\">"_s + first << barriers;
        }
    }
    void nothingLeftOver()
    {
        const auto [first, barriers] = fetch<QString, Barriers>();
        use(barriers);
        show(first);
        evaluate(u"doc.defaultView.scrollTo(0, 3000)"_s);
        QCOMPARE(evaluate(u"doc.defaultView.scrollY"_s).toInt(), 3000);
        show(u"<p>second</p><img src=\"data:image/svg+xml,<svg xmlns='http://www.w3.org/2000/svg' width='7' "
             u"height='1'/>\"><div style=\"height:5000px\"></div>"_s);
        QTRY_COMPARE(
            evaluate(u"[doc.body.textContent, getComputedStyle(doc.body).backgroundColor,"
                     " getComputedStyle(doc.querySelector('p')).color,"
                     " doc.defaultView.scrollY, doc.images[0].naturalWidth, %1].join()"_s.arg(marked)),
            u"second,rgba(0, 0, 0, 0),rgb(0, 0, 0),0,7,false"_s);
    }
    void nothingOfTheLastWhileTheNextLoads()
    {
        // An image that never comes keeps the next signature loading.
        show(u"<body style=\"background:rgb(255,0,0)\"><p>first</p>"_s);
        QTRY_COMPARE(view()->grab().toImage().pixel(200, 300), qRgb(255, 0, 0));
        m_host->showSignature(u"<meta name=\"referrer\" content=\"no-referrer\"><p>second</p>"
                              "<img src=\"http://127.0.0.1:%1/logo.png\">"_s.arg(silent.serverPort()));
        QTRY_COMPARE(view()->grab().toImage().pixel(200, 300), qRgb(255, 255, 255));
    }
    void latestAfterABurst()
    {
        // As holding an arrow key down in the list: some signatures replace the nodes shown, some get a
        // new frame, most before the frame before them has loaded.
        QSignalSpy refused(m_host, &ControlWebview::linkRefused);
        for (int i = 0; i < 250; ++i)
            m_host->showSignature((i % 7 ? u""_s : u"<meta name=\"referrer\" content=\"no-referrer\">"_s) +
                                  u"<p>%1</p>"_s.arg(i));
        show(u"<p>last</p>"_s);
        QTest::qWait(300); // for anything older that would land late
        QCOMPARE(PageProbe::containerHtml(page()), u"<p>last</p>"_s);
        QCOMPARE(refused.size(), 0); // a new frame is no refused link
    }
    void messageFont()
    {
        const QString text = u"Wide and narrow: Wwmil 0123"_s;
        show(u"<span id=a>%1</span><br><span id=sans style=\"font-family:'Liberation Sans'\">%1</span><br>"
             "<span id=own style=\"font:15px 'DejaVu Serif'\">%1</span>"_s.arg(text));
        // Unstyled text is 12 px and as wide as in the Helvetica-sized sans; styled text keeps its own.
        QCOMPARE(evaluate(u"[getComputedStyle(doc.getElementById('a')).fontSize,"
                          " doc.getElementById('a').getBoundingClientRect().width ==="
                          " doc.getElementById('sans').getBoundingClientRect().width,"
                          " getComputedStyle(doc.getElementById('own')).fontSize,"
                          " getComputedStyle(doc.getElementById('own')).fontFamily].join()"_s),
                 u"12px,true,15px,\"DejaVu Serif\""_s);
    }
    void darkRulesFollowTheSwitch()
    {
        show(u"<meta name=\"color-scheme\" content=\"light dark\"><style>p{color:rgb(1,2,3)}"
             "@media (prefers-color-scheme: dark){p{color:rgb(200,201,202)}}"
             "@media screen and (prefers-color-scheme: light){p{background:rgb(9,9,9)}}</style>"
             "<p>own</p><span>plain</span>"_s,
             Appearance::Dark);
        const QString colours =
            u"[getComputedStyle(doc.querySelector('p')).color, getComputedStyle(doc.querySelector('p'))"
            ".backgroundColor, getComputedStyle(doc.querySelector('span')).color,"
            " getComputedStyle(doc.documentElement).backgroundColor].join(';')"_s;
        const QString dark =
            u"rgb(200, 201, 202);rgba(0, 0, 0, 0);rgba(255, 255, 255, 0.85);rgb(30, 30, 30)"_s;
        const QString light = u"rgb(1, 2, 3);rgb(9, 9, 9);rgb(0, 0, 0);rgba(0, 0, 0, 0)"_s;
        QCOMPARE(evaluate(colours), dark);
        for (const auto &[appearance, expected] :
             {std::pair(Appearance::Light, light), {Appearance::Dark, dark}}) {
            m_host->setAppearance(appearance);
            QTRY_COMPARE(evaluate(colours), expected);
        }
        m_host->setAppearance(Appearance::Light);
    }
    void invertedColoursImagesAsTheyAre()
    {
        // A white band, then a white image, on a white body.
        show(u"<body style=\"margin:0;background:#fff\"><div style=\"height:40px\"></div><img "
             u"style=\"display:block\""
             " src=\"data:image/svg+xml,<svg xmlns='http://www.w3.org/2000/svg' width='40' height='40'>"
             "<rect width='40' height='40' fill='white'/></svg>\">"_s,
             Appearance::Inverted);
        const auto pixels = [this] {
            const QImage picture = view()->grab().toImage();
            return QList<QRgb>{picture.pixel(20, 20), picture.pixel(20, 60)};
        };
        QTRY_COMPARE(pixels(), (QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
        m_host->setAppearance(Appearance::Light);
        QTRY_COMPARE(pixels(), (QList<QRgb>{qRgb(255, 255, 255), qRgb(255, 255, 255)}));
        // Without a background of its own, a signature is on Mail's dark one either way.
        for (const Appearance appearance : {Appearance::Inverted, Appearance::Dark}) {
            show(u"<p>x</p>"_s, appearance);
            QTRY_COMPARE(view()->grab().toImage().pixel(200, 300), qRgb(30, 30, 30));
        }
        m_host->setAppearance(Appearance::Light);
    }
    void dressedWhileImagesLoad()
    {
        // An image that never comes keeps the frame loading; the signature shows dark all the same.
        m_host->showSignature(u"<meta name=\"color-scheme\" content=\"dark\"><p>x</p>"
                              "<img src=\"http://127.0.0.1:%1/logo.png\">"_s.arg(silent.serverPort()),
                              Appearance::Dark);
        QTRY_COMPARE(
            evaluate(u"getComputedStyle(doc.documentElement).backgroundColor + doc.readyState"_s, true),
            u"rgb(30, 30, 30)interactive"_s);
        m_host->setAppearance(Appearance::Light);
    }
    void links_data()
    {
        columns<QString, bool>(); // the link; whether it opens outside, else it is refused and reported
        for (const char *href :
             {"https://example.com/a", "http://example.com/b", "mailto:jane@example.com", "tel:+15551234"})
            row(href, QString::fromUtf8(href), true);
        for (const char *href : {"file:///Applications/Calculator.app", "smb://server/share", "x-custom:open",
                                 "about:blank", "about:srcdoc", "data:text/html,x"})
            row(href, QString::fromUtf8(href), false);
    }
    void links()
    {
        const auto [href, opens] = fetch<QString, bool>();
        opened.clear();
        QSignalSpy refused(m_host, &ControlWebview::linkRefused);
        // Two links of 40 pixels below a margin of 8, the second with target=_blank.
        const QString link = u"<a href=\"%1\"%2 style=\"display:block;height:40px\">x</a>"_s;
        show(link.arg(href, QString()) + link.arg(href, u" target=\"_blank\""_s));
        const qsizetype windows = QApplication::topLevelWidgets().size();
        auto *label = m_host->findChild<QLabel *>();
        for (const int y : {28, 68}) {
            // While the pointer is over a link, its address shows.
            QTest::mouseMove(view()->focusProxy(), QPoint(100, y));
            QTRY_COMPARE(label->isVisible() ? label->text() : QString(), QUrl(href).toString());
            QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, QPoint(100, y));
            QTRY_COMPARE(opened.size() + refused.size(), y == 28 ? 1 : 2);
            // The preview stays as it is, or comes back: no window, the signature's document.
            QTest::qWait(200);
            QTRY_COMPARE(evaluate(u"doc.URL + doc.links.length"_s), u"about:srcdoc2"_s);
            QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        }
        QCOMPARE(opened, opens ? QList<QUrl>(2, QUrl(href)) : QList<QUrl>());
        QCOMPARE(refused.size(), opens ? 0 : 2);
        if (!opens)
            QCOMPARE(refused.last().first().toUrl(), QUrl(href));
        // Another signature under the resting pointer: the address of a link that is gone goes at once.
        m_host->showSignature(u"<p>no link</p>"_s);
        QVERIFY(!label->isVisible());
    }

private:
    // Shows html and waits until the frame holds it, in a new document or in place of the nodes of the last.
    void show(const QString &html, Appearance appearance = {}, const PreviewImages &images = {})
    {
        evaluate(u"doc.documentElement.seen = true"_s);
        m_host->showSignature(html, appearance, images);
        // The new nodes, asked in the page (between documents it answers no); then loaded.
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(u"!doc.documentElement.seen"_s) == u"true", 10000);
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(u"doc.readyState"_s) == u"complete", 10000);
    }
    // Acts on a preview with these barriers from now on, made on first use.
    void use(Barriers barriers)
    {
        auto &host = m_hosts[barriers.sandbox * 2 + barriers.policy];
        if (!host) {
            host = std::make_unique<ControlWebview>(nullptr, barriers);
            QSignalSpy shown(host.get(), &ControlWebview::previewShown);
            host->resize(400, 480);
            host->QWidget::show();
            QVERIFY(QTest::qWaitForWindowExposed(host.get()) && shown.wait(30000));
        }
        m_host = host.get();
    }
    // From now on, each HTML that the page's update is handed is kept, in the program's own script world.
    void recordUpdates()
    {
        PageProbe::run(
            page(),
            u"if (!window.unrecordedUpdate) { window.unrecordedUpdate = update;"
            " update = function (html, images) { handed.push(html); unrecordedUpdate(html, images); }; }"
            " handed = []; true"_s,
            QWebEngineScript::ApplicationWorld);
    }
    // What the page's update was handed since recordUpdates(), once every script sent before has run.
    QStringList recordedUpdates()
    {
        return PageProbe::run(page(), u"handed"_s, QWebEngineScript::ApplicationWorld).toStringList();
    }
    QWebEngineView *view() const { return m_host->findChild<QWebEngineView *>(); }
    QString evaluate(const QString &expression, bool loading = false) const
    {
        return PageProbe::inSignature(page(), expression, loading).toString();
    }
    QWebEnginePage *page() const { return view()->page(); }

    std::unique_ptr<ControlWebview> m_hosts[4];
    ControlWebview *m_host = nullptr;
};

QTEST_MAIN(TestPreview)

#include "tst_preview.moc"
