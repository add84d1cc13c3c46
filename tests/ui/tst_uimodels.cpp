// The rules behind the widgets: the top bar, the restore dialog's rows, the list's rows.
#include "store/SignatureFileFormat.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "tests/common/TestHome.h"
#include "ui/TopbarState.h"
#include "ui/list/SignatureItemModel.h"
#include "ui/restore/KeptVersionItemModel.h"

#include <QAbstractItemModelTester>
#include <QProcess>
#include <QSignalSpy>

#include <tuple>

class TestUiModels : public QObject
{
    Q_OBJECT
private slots:
    void topbar_data()
    {
        // Authorised, Mail running, content, the selection (as last listed) replaced since its insert; the
        // button enabled; Put Back.
        columns<bool, bool, bool, bool, bool, QString>();
        // Not authorised: whatever the preview holds, asking for access is offered.
        row("unauthorized, Mail closed", false, false, true, false, true, u"hidden"_s);
        row("unauthorized, Mail running", false, true, false, false, true, u"hidden"_s);
        row("unauthorized, replaced", false, false, true, true, true, u"hidden"_s);
        row("authorized, Mail closed, no content", true, false, false, false, false, u"hidden"_s);
        row("authorized, Mail closed, content", true, false, true, false, true, u"hidden"_s);
        row("authorized, Mail running", true, true, true, false, false, u"hidden"_s);
        row("replaced, Mail closed", true, false, true, true, true, u"enabled"_s);
        row("replaced, Mail running: a write like an insert", true, true, true, true, false, u"disabled"_s);
    }
    void topbar()
    {
        const auto [authorized, mailRunning, content, replaced, enabled, putBack] =
            fetch<bool, bool, bool, bool, bool, QString>();
        const TopbarState state = TopbarState::compute(authorized, mailRunning, content, replaced);
        QCOMPARE(state.buttonTitle(), authorized ? u"Insert Signature from Clipboard"_s
                                                 : u"Authorize Access to Mail Signature folder"_s);
        QCOMPARE(tuple(state.action == TopbarState::Action::Insert, state.buttonEnabled),
                 tuple(authorized, enabled));
        QCOMPARE(!state.putBackVisible  ? u"hidden"_s
                 : state.putBackEnabled ? u"enabled"_s
                                        : u"disabled"_s,
                 putBack);
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
    void keptVersionKinds()
    {
        // The window's restore test sees the local kinds; these are the ones it never makes.
        const auto cloud = SignatureStore::Kind::ICloud;
        for (const auto &[original, label] : {std::pair{false, u"Kept before a change (iCloud Drive)"_s},
                                              {true, u"Original (iCloud Drive)"_s}})
            QCOMPARE(KeptVersionItemModel::kindLabel({{}, {}, KeptVersions::Kind::Kept, cloud, original}),
                     label);
    }
    void versionWordsLoadNothing_data()
    {
        columns<QString, QString>(); // html (%1: a FIFO that blocks whoever opens it), its first words
        row("/dev/zero as background and image",
            u"<img src=\"/dev/zero\"><p style=\"background-image:url(/dev/zero)\">Ada Lovelace</p>"_s,
            u"Ada Lovelace"_s);
        row("FIFO image, style sheet and background",
            u"<table background=\"%1\"><tr><td><img src=\"file://%1\">Grace &lt;b&gt; Hopper</td></tr>"
            "</table><link rel=stylesheet href=\"%1\">"_s,
            u"Grace <b> Hopper"_s);
        row("10 MB: only the start is read", u"<p>Big start</p>"_s + u"<p>x</p>"_s.repeated(1'400'000),
            u"Big start x x x x x x\u2026"_s);
        row("words only after 64 KB of markup", u"<b></b>"_s.repeated(10000) + u"<p>Beyond</p>"_s, QString());
    }
    void versionWordsLoadNothing()
    {
        const auto [html, words] = fetch<QString, QString>();
        const QTemporaryDir dir;
        const QString fifo = dir.filePath(u"fifo"_s);
        QCOMPARE(QProcess::execute(u"mkfifo"_s, {fifo}), 0);
        const QByteArray file = *SignatureFileFormat::compose(TestHome::header(u"X"_s),
                                                              html.contains(u"%1") ? html.arg(fifo) : html);
        QCOMPARE(KeptVersionItemModel::firstWords(file), words);
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
        // A reset on every publish, even an equal one; rows take clicks, never the view's selection.
        QCOMPARE(tuple(reset.size(), model.rowCount(),
                       bool(model.flags(model.index(1)) & Qt::ItemIsSelectable),
                       model.rowOf(u"B"_s).value_or(-1)),
                 tuple(2, 2, false, 1));
        // A row is selected while the selection has its id, whatever a reload changed in the row since;
        // only the rows whose highlight changed are announced, one by one.
        for (const auto &[selected, selectedRow, announced] :
             {std::tuple{sample[1], 1, QList<int>{1}},
              {SignatureModel{u"B"_s, u"Personal"_s, false}, 1, {}},
              {sample[0], 0, {1, 0}},
              {SignatureModel{u"C"_s, u"Work"_s, false}, -1, {0}}}) {
            QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
            selection.signature().set(selected);
            QList<int> rows;
            for (const QList<QVariant> &change : changed) {
                QCOMPARE(change[0].toModelIndex(), change[1].toModelIndex());
                QCOMPARE(change[2].value<QList<int>>(), QList<int>{SignatureItemModel::SelectedRole});
                rows.append(change[0].toModelIndex().row());
            }
            QCOMPARE(rows, announced);
            for (int row = 0; row < 2; ++row)
                QCOMPARE(model.index(row).data(SignatureItemModel::SelectedRole).toBool(),
                         row == selectedRow);
        }
    }
};

QTEST_MAIN(TestUiModels)
#include "tst_uimodels.moc"
