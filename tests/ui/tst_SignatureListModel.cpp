#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "ui/SignatureListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

// The list's rows follow every publish of the list and the selection, and a
// row counts as selected only when the selection equals its whole record.
class tst_SignatureListModel : public QObject
{
    Q_OBJECT
private slots:
    void rowsFollowThePublishedList();
    void selectionComparesWholeRecords_data();
    void selectionComparesWholeRecords();
    void everyPublishResetsEvenWhenEqual();
    void rowsAreKeyedById();

private:
    static QList<SignatureModel> sample()
    {
        return {{QStringLiteral("A"), QStringLiteral("Work"), false},
                {QStringLiteral("B"), QStringLiteral("Personal"), true},
                {QStringLiteral("C"), QStringLiteral("Short"), false}};
    }
};

void tst_SignatureListModel::rowsFollowThePublishedList()
{
    SignatureListUIModel list;
    SignatureSelectionUIModel selection;
    SignatureListModel model(list, selection);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(model.rowCount(), 0);
    list.signatures().set(sample());
    QCOMPARE(model.rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const QModelIndex index = model.index(row);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), sample().at(row).name);
        QCOMPARE(index.data(SignatureListModel::NameRole).toString(), sample().at(row).name);
        QCOMPARE(index.data(SignatureListModel::IdRole).toString(), sample().at(row).id);
        QCOMPARE(index.data(SignatureListModel::LockedRole).toBool(), sample().at(row).isFileLocked);
        QCOMPARE(index.data(SignatureListModel::RecordRole).value<SignatureModel>(), sample().at(row));
        QVERIFY(!index.data(SignatureListModel::SelectedRole).toBool());
        // Rows take clicks, never the view's own selection.
        QVERIFY(!(model.flags(index) & Qt::ItemIsSelectable));
        QVERIFY(model.flags(index) & Qt::ItemIsEnabled);
    }

    list.signatures().set({sample().at(2)});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0).data().toString(), QStringLiteral("Short"));
    list.signatures().set({});
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.record(0));
}

void tst_SignatureListModel::selectionComparesWholeRecords_data()
{
    QTest::addColumn<SignatureModel>("selected");
    QTest::addColumn<int>("selectedRow");

    QTest::newRow("equal record") << SignatureModel{QStringLiteral("B"), QStringLiteral("Personal"), true} << 1;
    QTest::newRow("same id, lock flag changed")
        << SignatureModel{QStringLiteral("B"), QStringLiteral("Personal"), false} << -1;
    QTest::newRow("same id, renamed") << SignatureModel{QStringLiteral("A"), QStringLiteral("Office"), false} << -1;
    QTest::newRow("another equal record")
        << SignatureModel{QStringLiteral("C"), QStringLiteral("Short"), false} << 2;
    QTest::newRow("unknown id") << SignatureModel{QStringLiteral("Z"), QStringLiteral("Work"), false} << -1;
}

void tst_SignatureListModel::selectionComparesWholeRecords()
{
    QFETCH(SignatureModel, selected);
    QFETCH(int, selectedRow);

    SignatureListUIModel list;
    SignatureSelectionUIModel selection;
    SignatureListModel model(list, selection);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.signatures().set(sample());

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    selection.signature().set(selected);
    QCOMPARE(changed.size(), 1);
    QVERIFY(changed.at(0).at(2).value<QList<int>>().contains(SignatureListModel::SelectedRole));
    for (int row = 0; row < model.rowCount(); ++row)
        QCOMPARE(model.index(row).data(SignatureListModel::SelectedRole).toBool(), row == selectedRow);

    selection.signature().set(std::nullopt);
    for (int row = 0; row < model.rowCount(); ++row)
        QVERIFY(!model.index(row).data(SignatureListModel::SelectedRole).toBool());
}

void tst_SignatureListModel::everyPublishResetsEvenWhenEqual()
{
    SignatureListUIModel list;
    SignatureSelectionUIModel selection;
    SignatureListModel model(list, selection);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    list.signatures().set(sample());
    list.signatures().set(sample());
    QCOMPARE(reset.size(), 2);

    // A reload that locks the selected record's file ends its highlight.
    selection.signature().set(sample().at(0));
    QVERIFY(model.index(0).data(SignatureListModel::SelectedRole).toBool());
    QList<SignatureModel> locked = sample();
    locked[0].isFileLocked = true;
    list.signatures().set(locked);
    QVERIFY(!model.index(0).data(SignatureListModel::SelectedRole).toBool());
    QVERIFY(model.index(0).data(SignatureListModel::LockedRole).toBool());
}

void tst_SignatureListModel::rowsAreKeyedById()
{
    SignatureListUIModel list;
    SignatureSelectionUIModel selection;
    SignatureListModel model(list, selection);
    list.signatures().set(sample());
    QCOMPARE(model.rowOf(QStringLiteral("C")), std::optional<int>(2));
    QCOMPARE(model.rowOf(QStringLiteral("Z")), std::nullopt);
    QCOMPARE(model.roleNames().value(SignatureListModel::IdRole), QByteArray("id"));
}

QTEST_GUILESS_MAIN(tst_SignatureListModel)
#include "tst_SignatureListModel.moc"
