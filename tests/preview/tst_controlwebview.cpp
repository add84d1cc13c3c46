#include "preview/ControlWebview.h"
#include "preview/ControlWebviewModel.h"
#include "preview/RoundedOutline.h"
#include "preview/WebView.h"
#include "tests/preview/PageProbe.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTest>

class TestControlWebview : public QObject
{
    Q_OBJECT
private slots:
    void oneViewHandedToModelAfterConstruction();
    void roundedClipAndFaintOutline();
    void inspectFromContextMenuOpensDevTools();
};

void TestControlWebview::oneViewHandedToModelAfterConstruction()
{
    ControlWebviewModel model;
    model.update(QStringLiteral("<b>shown</b>"));
    ControlWebview host(&model);
    QVERIFY(host.webView());
    QCOMPARE(host.findChildren<QWebEngineView *>().size(), 1);
    QVERIFY(!model.webView());
    QTRY_COMPARE(model.webView(), host.webView());
    QTRY_COMPARE(PageProbe::containerHtml(host.webView()->page()), QStringLiteral("<b>shown</b>"));
    QCOMPARE(host.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(host.sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
}

void TestControlWebview::roundedClipAndFaintOutline()
{
    ControlWebviewModel model;
    QWidget window; // the host is always a child, where the mask clips
    ControlWebview host(&model, &window);
    host.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRegion mask = host.mask();
    QVERIFY(!mask.contains(QPoint(0, 0)));
    QVERIFY(!mask.contains(QPoint(199, 99)));
    QVERIFY(mask.contains(QPoint(100, 0)));
    QVERIFY(mask.contains(QPoint(0, 50)));
    QVERIFY(mask.contains(QPoint(6, 6)));

    // The outline is the foreground colour at a tenth of its strength.
    RoundedOutline outline;
    QPalette palette = outline.palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    outline.setPalette(palette);
    outline.resize(100, 60);
    QImage image(outline.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    outline.render(&image);
    const QColor edge = image.pixelColor(50, 0);
    QCOMPARE(edge.red(), 255);
    QVERIFY2(qAbs(edge.green() - 230) <= 3, qPrintable(edge.name()));
    QCOMPARE(image.pixelColor(50, 30), QColor(Qt::white));
}

void TestControlWebview::inspectFromContextMenuOpensDevTools()
{
    ControlWebviewModel model;
    QWidget window;
    ControlWebview host(&model, &window);
    host.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    WebView *view = host.webView();
    QVERIFY(PageProbe::waitForPreview(view->page()));

    QTest::mouseClick(view->focusProxy(), Qt::RightButton, {}, QPoint(50, 50));
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = view->findChild<QMenu *>()));
    QAction *inspect = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->text() == u"Inspect")
            inspect = action;
    }
    QVERIFY(inspect);
    inspect->trigger();
    menu->close();

    QVERIFY(view->devToolsView());
    QVERIFY(view->devToolsView()->isWindow());
    QTRY_VERIFY(view->devToolsView()->isVisible());
    QCOMPARE(view->page()->devToolsPage(), view->devToolsView()->page());
}

PREVIEW_WEBENGINE_TEST_MAIN(TestControlWebview)
#include "tst_controlwebview.moc"
