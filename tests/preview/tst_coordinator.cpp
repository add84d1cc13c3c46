#include "preview/ControlWebviewModel.h"
#include "preview/Coordinator.h"
#include "preview/PreviewPage.h"
#include "preview/WebView.h"
#include "tests/preview/PageProbe.h"

#include <QApplication>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// Stands in for the system's handler of web addresses.
class OpenedAddresses : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestCoordinator : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ownLoadIsAllowedAndOpensNothing();
    void userClickOpensOutside_data();
    void userClickOpensOutside();
    void pageStartedNavigationGoesNowhere_data();
    void pageStartedNavigationGoesNowhere();
    void aboutAddressKeepsPreview_data();
    void aboutAddressKeepsPreview();

private:
    bool previewIntact();

    OpenedAddresses m_opened;
    std::unique_ptr<ControlWebviewModel> m_model;
    std::unique_ptr<WebView> m_view;
};

static const QString signature = QStringLiteral(
    "<a id=\"link\" href=\"https://example.com/clicked\" style=\"display:block;height:40px\">link</a>"
    "<a id=\"blank\" href=\"https://example.com/blank\" target=\"_blank\" style=\"display:block;height:40px\">new</a>"
    "<a id=\"about\" href=\"about:blank\" style=\"display:block;height:40px\">about</a>"
    "<a id=\"mail\" href=\"mailto:jane@example.com\" style=\"display:block;height:40px\">mail</a>");

void TestCoordinator::init()
{
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_opened, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &m_opened, "open");
    m_opened.urls.clear();
    m_model = std::make_unique<ControlWebviewModel>();
    m_model->update(signature);
    m_view = std::make_unique<WebView>(PreviewPage::html(), m_model.get());
    m_view->resize(400, 400);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    QTRY_VERIFY_WITH_TIMEOUT(previewIntact(), 10000);
}

void TestCoordinator::cleanup()
{
    m_view.reset();
    m_model.reset();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
}

bool TestCoordinator::previewIntact()
{
    return m_view->page()->url().scheme() == u"data"
           && PageProbe::containerHtml(m_view->page()).contains(QLatin1String("https://example.com/clicked"));
}

void TestCoordinator::ownLoadIsAllowedAndOpensNothing()
{
    QTest::qWait(100);
    QVERIFY(m_opened.urls.isEmpty());
    QVERIFY(previewIntact());
}

void TestCoordinator::userClickOpensOutside_data()
{
    QTest::addColumn<QString>("linkId");
    QTest::addColumn<QUrl>("url");
    QTest::newRow("link") << QStringLiteral("link") << QUrl(QStringLiteral("https://example.com/clicked"));
    QTest::newRow("mail link") << QStringLiteral("mail") << QUrl(QStringLiteral("mailto:jane@example.com"));
    QTest::newRow("link to a new window") << QStringLiteral("blank") << QUrl(QStringLiteral("https://example.com/blank"));
}

void TestCoordinator::userClickOpensOutside()
{
    QFETCH(QString, linkId);
    QFETCH(QUrl, url);
    const qsizetype windows = QApplication::topLevelWidgets().size();
    QTest::mouseClick(m_view->focusProxy(), Qt::LeftButton, {}, PageProbe::centreOf(m_view->page(), linkId));
    QTRY_COMPARE(m_opened.urls, QList<QUrl>{url});
    QTest::qWait(100);
    QCOMPARE(m_opened.urls.size(), 1);
    QVERIFY(previewIntact());
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
}

void TestCoordinator::pageStartedNavigationGoesNowhere_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("location") << QStringLiteral("location.href = 'https://example.com/script'");
    QTest::newRow("script clicks a link") << QStringLiteral("document.getElementById('link').click()");
    QTest::newRow("script clicks a new-window link") << QStringLiteral("document.getElementById('blank').click()");
    QTest::newRow("window.open") << QStringLiteral("window.open('https://example.com/open')");
    QTest::newRow("meta refresh") << QStringLiteral(
        "var m = document.createElement('meta'); m.httpEquiv = 'refresh';"
        " m.content = '0;url=https://example.com/meta'; document.head.appendChild(m)");
    QTest::newRow("form submitted by script") << QStringLiteral(
        "var f = document.createElement('form'); f.action = 'https://example.com/form';"
        " document.body.appendChild(f); f.submit()");
    QTest::newRow("iframe") << QStringLiteral(
        "var i = document.createElement('iframe'); i.src = 'https://example.com/frame';"
        " document.body.appendChild(i)");
}

void TestCoordinator::pageStartedNavigationGoesNowhere()
{
    QFETCH(QString, script);
    // Even right after a real click elsewhere, a navigation the user did not click goes nowhere.
    QTest::mouseClick(m_view->focusProxy(), Qt::LeftButton, {}, QPoint(350, 380));
    PageProbe::evaluate(m_view->page(), script);
    QTest::qWait(400);
    QVERIFY(m_opened.urls.isEmpty());
    QVERIFY(previewIntact());
    // A refused iframe keeps its initial empty document; a loaded one would be out of reach.
    const QString frame = PageProbe::evaluate(m_view->page(), QStringLiteral(
        "(function () { try { return frames.length ? frames[0].location.href : 'none'; }"
        " catch (e) { return 'elsewhere'; } })()")).toString();
    QVERIFY2(frame == u"none" || frame == u"about:blank", qPrintable(frame));
}

void TestCoordinator::aboutAddressKeepsPreview_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("clickedId");
    QTest::newRow("script to about:blank") << QStringLiteral("location.href = 'about:blank'") << QString();
    QTest::newRow("script to another about address") << QStringLiteral("location.href = 'about:version'")
                                                     << QString();
    QTest::newRow("user clicks an about link") << QString() << QStringLiteral("about");
}

void TestCoordinator::aboutAddressKeepsPreview()
{
    QFETCH(QString, script);
    QFETCH(QString, clickedId);
    QSignalSpy loads(m_view->page(), &QWebEnginePage::loadFinished);
    if (!clickedId.isEmpty())
        QTest::mouseClick(m_view->focusProxy(), Qt::LeftButton, {}, PageProbe::centreOf(m_view->page(), clickedId));
    else
        m_view->page()->runJavaScript(script);
    QTRY_VERIFY(loads.size() >= 1);
    // Previews go on: the page's update function is back and takes the next signature.
    QTRY_VERIFY(PageProbe::evaluate(m_view->page(), QStringLiteral("typeof update === 'function'")).toBool());
    m_model->update(QStringLiteral("<b>after</b>"));
    QTRY_COMPARE(PageProbe::containerHtml(m_view->page()), QStringLiteral("<b>after</b>"));
    QCOMPARE(m_view->page()->url().scheme(), QStringLiteral("data"));
    QVERIFY(m_opened.urls.isEmpty());
}

PREVIEW_WEBENGINE_TEST_MAIN(TestCoordinator)
#include "tst_coordinator.moc"
