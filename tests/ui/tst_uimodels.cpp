#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "ui/PreviewUpdateWatch.h"
#include "ui/SignatureListModel.h"
#include "ui/TopbarState.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using Content = std::optional<AppleSignatureContent>;
using Contents = QList<Content>;

class tst_UiModels : public QObject
{
    Q_OBJECT
private slots:
    void topbar_data();
    void topbar();
    void previewUpdates_data();
    void previewUpdates();
    void listRows();
};

void tst_UiModels::topbar_data()
{
    QTest::addColumn<bool>("isAuthorized");
    QTest::addColumn<bool>("isMailRunning");
    QTest::addColumn<bool>("hasContent");
    QTest::addColumn<QString>("status"); // what went wrong with the last insert; empty: nothing
    QTest::addColumn<QString>("message"); // what the message slot shows; empty: hidden
    QTest::addColumn<bool>("buttonEnabled");
    const QString mail = QStringLiteral("Mail must be closed before inserting a signature");
    const QString failed = QStringLiteral("The signature could not be saved: Disk full.");
    // Not authorised: whatever the preview holds, asking for access is offered.
    QTest::newRow("unauthorized, Mail closed, no content") << false << false << false << "" << "" << true;
    QTest::newRow("unauthorized, Mail closed, content") << false << false << true << "" << "" << true;
    QTest::newRow("unauthorized, Mail running, no content") << false << true << false << "" << mail << true;
    QTest::newRow("unauthorized, Mail running, content") << false << true << true << "" << mail << true;
    QTest::newRow("authorized, Mail closed, no content") << true << false << false << "" << "" << false;
    QTest::newRow("authorized, Mail closed, content") << true << false << true << "" << "" << true;
    QTest::newRow("authorized, Mail running, no content") << true << true << false << "" << mail << false;
    QTest::newRow("authorized, Mail running, content") << true << true << true << "" << mail << false;
    QTest::newRow("failed insert, Mail closed") << true << false << true << failed << failed << true;
    QTest::newRow("failed insert, Mail running") << true << true << true << failed << mail << false;
}

void tst_UiModels::topbar()
{
    QFETCH(bool, isAuthorized);
    QFETCH(bool, isMailRunning);
    QFETCH(bool, hasContent);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QFETCH(bool, buttonEnabled);
    const TopbarState state = TopbarState::compute(isAuthorized, isMailRunning, hasContent,
                                                   status.isEmpty() ? std::nullopt : std::optional(status));
    QCOMPARE(state.messageVisible, !message.isEmpty());
    if (state.messageVisible)
        QCOMPARE(state.message, message);
    QCOMPARE(state.buttonTitle(), isAuthorized ? QStringLiteral("Insert Signature from Clipboard")
                                               : QStringLiteral("Authorize Access to Mail Signature folder"));
    QCOMPARE(state.buttonEnabled, buttonEnabled);
    QCOMPARE(state.action, isAuthorized ? TopbarState::Action::Insert : TopbarState::Action::Authorize);
}

void tst_UiModels::previewUpdates_data()
{
    QTest::addColumn<Content>("before"); // published before the watch starts
    QTest::addColumn<Contents>("published");
    QTest::addColumn<QStringList>("pushed");
    const AppleSignatureContent a{QStringLiteral("H"), QStringLiteral("<b>a</b>")};
    const AppleSignatureContent b{QStringLiteral("H"), QStringLiteral("<i>b</i>")};
    const AppleSignatureContent a2{QStringLiteral("H2"), QStringLiteral("<b>a</b>")};
    const Content none;
    QTest::newRow("first content") << none << Contents{a} << QStringList{a.htmlContent};
    QTest::newRow("same content again") << none << Contents{a, a} << QStringList{a.htmlContent};
    QTest::newRow("another content") << none << Contents{a, b} << QStringList{a.htmlContent, b.htmlContent};
    QTest::newRow("only the header changed") << none << Contents{a, a2} << QStringList{a.htmlContent, a2.htmlContent};
    QTest::newRow("back from none") << none << Contents{a, none, a} << QStringList{a.htmlContent, a.htmlContent};
    QTest::newRow("none again") << none << Contents{none, none} << QStringList{};
    QTest::newRow("empty content is content") << none << Contents{AppleSignatureContent{}} << QStringList{QString()};
    QTest::newRow("starting value not pushed") << Content(a) << Contents{a, b} << QStringList{b.htmlContent};
}

void tst_UiModels::previewUpdates()
{
    QFETCH(Content, before);
    QFETCH(Contents, published);
    QFETCH(QStringList, pushed);
    SignatureRenderUIModel rendered;
    rendered.signature().set(before);
    QStringList received;
    {
        PreviewUpdateWatch watch(rendered, [&received](const QString &html) { received.append(html); });
        for (const Content &content : published)
            rendered.signature().set(content);
    }
    rendered.signature().set(AppleSignatureContent{QStringLiteral("H"), QStringLiteral("after the watch")});
    QCOMPARE(received, pushed);
}

static QList<SignatureModel> sample()
{
    return {{QStringLiteral("A"), QStringLiteral("Work"), false},
            {QStringLiteral("B"), QStringLiteral("Personal"), true},
            {QStringLiteral("C"), QStringLiteral("Short"), false}};
}

void tst_UiModels::listRows()
{
    SignatureListUIModel list;
    SignatureSelectionUIModel selection;
    SignatureListModel model(list, selection);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QCOMPARE(model.rowCount(), 0);
    list.signatures().set(sample());
    list.signatures().set(sample());
    QCOMPARE(reset.size(), 2); // every publish, even an equal one
    QCOMPARE(model.rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const QModelIndex index = model.index(row);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), sample().at(row).name);
        QCOMPARE(index.data(SignatureListModel::IdRole).toString(), sample().at(row).id);
        QCOMPARE(index.data(SignatureListModel::LockedRole).toBool(), sample().at(row).isFileLocked);
        QCOMPARE(index.data(SignatureListModel::RecordRole).value<SignatureModel>(), sample().at(row));
        QVERIFY(!(model.flags(index) & Qt::ItemIsSelectable)); // rows take clicks, never the view's selection
    }
    QCOMPARE(model.rowOf(QStringLiteral("C")), std::optional<int>(2));

    // A row is selected only while the selection equals its whole record.
    const QList<std::pair<SignatureModel, int>> selections = {
        {{QStringLiteral("B"), QStringLiteral("Personal"), true}, 1},
        {{QStringLiteral("B"), QStringLiteral("Personal"), false}, -1},
        {{QStringLiteral("A"), QStringLiteral("Office"), false}, -1},
        {{QStringLiteral("Z"), QStringLiteral("Work"), false}, -1}};
    for (const auto &[selected, selectedRow] : selections) {
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        selection.signature().set(selected);
        QCOMPARE(changed.size(), 1);
        QVERIFY(changed.at(0).at(2).value<QList<int>>().contains(SignatureListModel::SelectedRole));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(model.index(row).data(SignatureListModel::SelectedRole).toBool(), row == selectedRow);
    }
    // A reload that locks the selected record's file ends its highlight.
    selection.signature().set(sample().at(0));
    QVERIFY(model.index(0).data(SignatureListModel::SelectedRole).toBool());
    QList<SignatureModel> locked = sample();
    locked[0].isFileLocked = true;
    list.signatures().set(locked);
    QVERIFY(!model.index(0).data(SignatureListModel::SelectedRole).toBool());
    list.signatures().set({});
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.record(0));
}

QTEST_GUILESS_MAIN(tst_UiModels)
#include "tst_uimodels.moc"
