// The rules behind the widgets: the top bar, pushes to the preview, the list's rows.
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "tests/common/TestHome.h"
#include "ui/TopbarState.h"
#include "ui/list/SignatureItemModel.h"
#include "ui/render/PreviewUpdateWatch.h"
#include "ui/restore/KeptVersionItemModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace Qt::StringLiterals;
using Content = std::optional<AppleSignatureContent>;
using Contents = QList<Content>;

class TestUiModels : public QObject
{
    Q_OBJECT
private slots:
    void topbar_data()
    {
        // Authorised, Mail running, content; the button enabled.
        columns<bool, bool, bool, bool>();
        // Not authorised: whatever the preview holds, asking for access is offered.
        row("unauthorized, Mail closed", false, false, true, true);
        row("unauthorized, Mail running", false, true, false, true);
        row("authorized, Mail closed, no content", true, false, false, false);
        row("authorized, Mail closed, content", true, false, true, true);
        row("authorized, Mail running", true, true, true, false);
    }
    void topbar()
    {
        const auto [authorized, mailRunning, content, enabled] = fetch<bool, bool, bool, bool>();
        const TopbarState state = TopbarState::compute(authorized, mailRunning, content, false);
        QCOMPARE(state.buttonTitle(), authorized ? u"Insert Signature from Clipboard"_s
                                                 : u"Authorize Access to Mail Signature folder"_s);
        QCOMPARE(state.action == TopbarState::Action::Insert, authorized);
        QCOMPARE(state.buttonEnabled, enabled);
    }
    void message_data()
    {
        // Mail running; what went wrong with the last action (empty: nothing); the message (empty: hidden).
        columns<bool, QString, QString>();
        const QString mail = u"Mail must be closed before inserting a signature"_s,
                      failed = u"Not saved: Disk full."_s;
        row("Mail closed", false, QString(), QString());
        row("Mail running", true, QString(), mail);
        row("failed action, Mail closed", false, failed, failed);
        // The answer to the last action comes before Mail's state, until the next selection clears it.
        row("failed action, Mail running", true, failed, failed);
    }
    void message()
    {
        const auto [mailRunning, status, message] = fetch<bool, QString, QString>();
        QCOMPARE(TopbarState::message(mailRunning, status.isEmpty() ? std::nullopt : std::optional(status))
                     .value_or(QString()),
                 message);
    }
    void putBack_data()
    {
        // Authorised, Mail running, the selection (as last listed) replaced since its insert; Put Back.
        columns<bool, bool, bool, QString>();
        row("replaced, Mail closed", true, false, true, u"enabled"_s);
        row("replaced, Mail running: a write like an insert", true, true, true, u"disabled"_s);
        row("not replaced", true, false, false, u"hidden"_s);
        row("unauthorized", false, false, true, u"hidden"_s);
    }
    void putBack()
    {
        const auto [authorized, mailRunning, replaced, shown] = fetch<bool, bool, bool, QString>();
        const TopbarState state = TopbarState::compute(authorized, mailRunning, true, replaced);
        QCOMPARE(!state.putBackVisible  ? u"hidden"_s
                 : state.putBackEnabled ? u"enabled"_s
                                        : u"disabled"_s,
                 shown);
    }
    void keptVersionKinds()
    {
        // The window's restore test sees the local kinds; these are the ones it never makes.
        const auto cloud = SignatureStore::Kind::ICloud;
        for (const auto &[original, label] : {std::pair{false, u"Kept before a change (iCloud Drive)"_s},
                                              {true, u"Original (iCloud Drive)"_s}})
            QCOMPARE(KeptVersionItemModel::kindLabel({{}, {}, KeptVersions::Kind::Kept, cloud, original}),
                     label);
    }
    void previewUpdates_data()
    {
        columns<Content, Contents, QStringList>(); // before the watch starts, then published, pushed
        const AppleSignatureContent a{u"H"_s, u"<b>a</b>"_s}, b{u"H"_s, u"<i>b</i>"_s},
            a2{u"H2"_s, u"<b>a</b>"_s};
        const Content none;
        row("first content", none, Contents{a}, QStringList{a.htmlContent});
        row("same content again", none, Contents{a, a}, QStringList{a.htmlContent});
        row("another content", none, Contents{a, b}, QStringList{a.htmlContent, b.htmlContent});
        row("only the header changed", none, Contents{a, a2}, QStringList{a.htmlContent, a2.htmlContent});
        row("back from none", none, Contents{a, none, a}, QStringList{a.htmlContent, a.htmlContent});
        row("none again", none, Contents{none, none}, QStringList{});
        row("empty content is content", none, Contents{AppleSignatureContent{}}, QStringList{QString()});
        row("starting value not pushed", Content(a), Contents{a, b}, QStringList{b.htmlContent});
    }
    void previewUpdates()
    {
        const auto [before, published, pushed] = fetch<Content, Contents, QStringList>();
        SignatureRenderUIModel rendered;
        rendered.signature().set(before);
        QStringList received;
        {
            PreviewUpdateWatch watch(rendered, [&received](const AppleSignatureContent &content) {
                received.append(content.htmlContent);
            });
            for (const Content &content : published)
                rendered.signature().set(content);
        }
        rendered.signature().set(AppleSignatureContent{u"H"_s, u"after the watch"_s});
        QCOMPARE(received, pushed);
    }
    void listRows()
    {
        SignatureListUIModel list;
        SignatureSelectionUIModel selection;
        SignatureItemModel model(list, selection);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        const QList<SignatureModel> sample = {{u"A"_s, u"Work"_s, false}, {u"B"_s, u"Personal"_s, true}};
        list.signatures().set(sample);
        list.signatures().set(sample);
        QCOMPARE(reset.size(), 2);
        QCOMPARE(model.rowCount(), 2); // every publish, even an equal one
        // Rows take clicks, never the view's selection.
        QVERIFY(!(model.flags(model.index(1)) & Qt::ItemIsSelectable));
        QCOMPARE(model.rowOf(u"B"_s), 1);
        // A row is selected while the selection has its id, whatever a reload changed in the row since.
        for (const auto &[selected, selectedRow] : {std::pair{sample[1], 1},
                                                    {SignatureModel{u"B"_s, u"Personal"_s, false}, 1},
                                                    {SignatureModel{u"C"_s, u"Work"_s, false}, -1}}) {
            QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
            selection.signature().set(selected);
            QCOMPARE(changed.size(), 1);
            QVERIFY(changed[0][2].value<QList<int>>().contains(SignatureItemModel::SelectedRole));
            for (int row = 0; row < 2; ++row)
                QCOMPARE(model.index(row).data(SignatureItemModel::SelectedRole).toBool(),
                         row == selectedRow);
        }
    }
};

QTEST_GUILESS_MAIN(TestUiModels)
#include "tst_uimodels.moc"
