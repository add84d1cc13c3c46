#include "store/Published.h"
#include "store/SignatureModel.h"
#include "store/SignatureSelectionUIModel.h"

#include <QSignalSpy>
#include <QTest>

class TestPublished : public QObject
{
    Q_OBJECT
private slots:
    void deliversBeforeStoringAndAnnouncesEverySet();
    void subscriptionLifetime();
    void recordEquality();
};

void TestPublished::deliversBeforeStoringAndAnnouncesEverySet()
{
    SignatureSelectionUIModel model;
    QSignalSpy announced(&model, &SignatureSelectionUIModel::changed);
    QList<std::pair<std::optional<SignatureModel>, std::optional<SignatureModel>>> seen; // (delivered, stored)
    Cancellable token = model.signature().sink([&](const std::optional<SignatureModel> &value) {
        seen.append({value, model.signature().get()});
    });
    // A new subscriber receives the current value at once, without an announcement.
    QCOMPARE(seen.size(), 1);
    QVERIFY(!seen[0].first);
    QCOMPARE(announced.count(), 0);

    const SignatureModel a{QStringLiteral("A"), QStringLiteral("Work"), false};
    model.signature().set(a);
    model.signature().set(a); // equal value: still delivered and announced
    QCOMPARE(seen.size(), 3);
    QCOMPARE(seen[1].first, std::optional(a));
    QVERIFY(!seen[1].second); // the old value was still stored during delivery
    QCOMPARE(seen[2].second, std::optional(a));
    QCOMPARE(announced.count(), 2);
    QCOMPARE(model.signature().get(), std::optional(a));
}

void TestPublished::subscriptionLifetime()
{
    Published<int> value(1);
    QList<int> first, second;
    std::unique_ptr<Cancellable> tokenA;
    // A handler that cancels a later subscriber mid-delivery stops it from receiving that value.
    Cancellable canceller = value.sink([&](int v) {
        if (v == 3)
            tokenA.reset();
    });
    tokenA = std::make_unique<Cancellable>(value.sink([&](int v) { first.append(v); }));
    Cancellable tokenB = value.sink([&](int v) { second.append(v); });
    value.set(2);
    value.set(3);
    value.set(4);
    QCOMPARE(first, (QList<int>{1, 2}));
    QCOMPARE(second, (QList<int>{1, 2, 3, 4}));
    tokenB.cancel();
    value.set(5);
    QCOMPARE(second.last(), 4);

    // A token that outlives its publisher is harmless.
    Cancellable orphan;
    {
        Published<int> shortLived(0);
        orphan = shortLived.sink([](int) {});
    }
    orphan.cancel();
}

void TestPublished::recordEquality()
{
    const QString composed = QStringLiteral("Caf\u00e9");
    const QString decomposed = QStringLiteral("Cafe\u0301");
    const SignatureModel a{QStringLiteral("ID"), composed, false};
    const SignatureModel b{QStringLiteral("ID"), decomposed, false};
    QVERIFY(a == b);
    QCOMPARE(qHash(a), qHash(b));
    SignatureModel locked = a;
    locked.isFileLocked = true;
    QVERIFY(a != locked);
    QVERIFY(qHash(a) != qHash(locked));
}

QTEST_GUILESS_MAIN(TestPublished)
#include "tst_published.moc"
