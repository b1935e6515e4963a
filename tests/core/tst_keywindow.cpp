#include "data/CachedDataset.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

// A list read around a key gives the rows a full read gives: the same row found, the same rows
// before and after it, the same first and last rows.
class TestKeyWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    FbConnection& conn() { return db->connection(); }

    std::unique_ptr<CachedDataset> words(const QString& order, bool aroundKey)
    {
        auto ds =
            std::make_unique<CachedDataset>(QStringLiteral("Words"), conn(), QStringLiteral("WORDS"),
                                            CachedDataset::WriteMode::KeyColumns, QStringList{QStringLiteral("K")});
        ds->setCommandText(QStringLiteral("select K, NAME, D, V from WORDS where K > 0 order by ") + order);
        ds->setReadAroundKey(aroundKey);
        ds->open();
        return ds;
    }
    static QVariant key(CachedDataset& ds) { return ds.isEmpty() ? QVariant() : QVariant(ds.asInteger("K")); }

    // The keys met walking `steps` rows back, then as many forward again and beyond.
    static QList<QVariant> walk(CachedDataset& ds, int steps)
    {
        QList<QVariant> keys{key(ds)};
        for (int i = 0; i < steps; ++i) {
            ds.prior();
            keys << key(ds) << ds.bof();
        }
        for (int i = 0; i < 2 * steps; ++i) {
            ds.next();
            keys << key(ds) << ds.eof();
        }
        return keys;
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        conn().execute(QStringLiteral(
            "create table WORDS (K integer not null primary key, NAME varchar(20), D date, V numeric(9,2))"));
        for (const char* index :
             {"create index IX_W_NAME on WORDS (NAME, K)", "create descending index IX_W_NAME_D on WORDS (NAME, K)",
              "create index IX_W_D on WORDS (D, NAME, K)", "create descending index IX_W_D_D on WORDS (D, NAME, K)"})
            conn().execute(QLatin1String(index));
        // Accented and mixed-case names, repeated names, NULLs, in no order.
        const char* names[] = {"Zinco", "zinco", "Álcool", "Acido", "acido",      nullptr,      "Éter",  "Acido",
                               "Bário", "Bario", nullptr,  "Água",  "Vitamina C", "Vitamina c", "Bario "};
        std::vector<Values> rows;
        for (int i = 0; i < int(std::size(names)); ++i)
            rows.push_back({qint64(i + 1), names[i] ? Value{QString::fromUtf8(names[i])} : Value{},
                            i % 4 == 3 ? Value{} : Value{QDate(2020, 3, 10 + i % 5)}});
        conn().executeMany(QStringLiteral("insert into WORDS (K, NAME, D) values (?, ?, ?)"), rows);
        conn().execute(QStringLiteral("update WORDS set V = mod(K, 4) * 1.25 where K <> 5"));
    }
    void cleanup() { db.reset(); }

    void agreesWithAFullRead_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QVariantList>("probe");
        const QVariant null;
        const QString byName = QStringLiteral("NAME, K");
        const QString byNameDown = QStringLiteral("NAME desc, K desc");
        const QString byDate = QStringLiteral("D, NAME, K");
        QTest::newRow("empty name: the NULLs first") << byName << QVariantList{QString()};
        QTest::newRow("before every name") << byName << QVariantList{QStringLiteral("0")};
        QTest::newRow("after every name") << byName << QVariantList{QStringLiteral("ÿ")};
        QTest::newRow("a repeated name") << byName << QVariantList{QStringLiteral("Acido")};
        QTest::newRow("a repeated name and key") << byName << QVariantList{QStringLiteral("Acido"), 8};
        QTest::newRow("between cases") << byName << QVariantList{QStringLiteral("Vitamina D")};
        QTest::newRow("lower case after capitals") << byName << QVariantList{QStringLiteral("a")};
        QTest::newRow("accented after plain") << byName << QVariantList{QStringLiteral("Á")};
        QTest::newRow("trailing blank") << byName << QVariantList{QStringLiteral("Bario ")};
        QTest::newRow("descending: middle") << byNameDown << QVariantList{QStringLiteral("Bario")};
        QTest::newRow("descending: NULLs last") << byNameDown << QVariantList{QString()};
        QTest::newRow("descending: past the last") << byNameDown << QVariantList{QStringLiteral("!")};
        QTest::newRow("date and name") << byDate << QVariantList{QDate(2020, 3, 12), QStringLiteral("B")};
        QTest::newRow("NULL date") << byDate << QVariantList{null, QStringLiteral("B")};
        QTest::newRow("after every date") << byDate << QVariantList{QDate(2021, 1, 1)};
        // Integer and scaled columns first: their least value must be one the column can hold.
        QTest::newRow("by key") << QStringLiteral("K") << QVariantList{8};
        QTest::newRow("by key, descending") << QStringLiteral("K desc") << QVariantList{8};
        QTest::newRow("by amount") << QStringLiteral("V, K") << QVariantList{2.5};
    }
    void agreesWithAFullRead()
    {
        QFETCH(QString, order);
        QFETCH(QVariantList, probe);
        Values values;
        for (const QVariant& v : probe)
            values.push_back(v.isNull()                        ? Value{}
                             : v.typeId() == QMetaType::QDate  ? Value{v.toDate()}
                             : v.typeId() == QMetaType::Int    ? Value{qint64(v.toInt())}
                             : v.typeId() == QMetaType::Double ? Value{Decimal::fromDouble(v.toDouble(), 2)}
                                                               : Value{v.toString()});
        auto full = words(order, false);
        auto around = words(order, true);

        QCOMPARE(around->findNearest(values), full->findNearest(values));
        QCOMPARE(key(*around), key(*full));
        QCOMPARE(around->eof(), full->eof());
        QCOMPARE(walk(*around, 4), walk(*full, 4));

        QCOMPARE(around->locate(values), full->locate(values));
        QCOMPARE(key(*around), key(*full));

        around->last();
        full->last();
        QCOMPARE(key(*around), key(*full));
        QCOMPARE(walk(*around, 3), walk(*full, 3));
        around->first();
        full->first();
        QCOMPARE(key(*around), key(*full));
        QVERIFY(around->bof());
        QCOMPARE(around->recordCount(), full->recordCount());
    }

    // A missing key leaves the list where it stood.
    void exactSearchThatFailsStays()
    {
        auto around = words(QStringLiteral("NAME, K"), true);
        QVERIFY(around->findNearest({QStringLiteral("Vitamina")}));
        const qint64 before = around->asInteger("K");
        QVERIFY(!around->locate({QStringLiteral("Acid")}));
        QCOMPARE(around->asInteger("K"), before);
    }

    // Only the rows near the key are read, and the rest come as they are asked for.
    void readsOnlyAroundTheKey()
    {
        std::vector<Values> rows;
        for (int k = 100; k < 1100; ++k)
            rows.push_back({qint64(k), QStringLiteral("w%1").arg(k), Value{}});
        conn().executeMany(QStringLiteral("insert into WORDS (K, NAME, D) values (?, ?, ?)"), rows);
        auto around = words(QStringLiteral("NAME, K"), true);
        QSignalSpy before(around.get(), &CachedDataset::rowsFetchedBefore);
        QVERIFY(around->findNearest({QStringLiteral("w600")}));
        QCOMPARE(around->asText("NAME"), QStringLiteral("w600"));
        QVERIFY(around->fetchedRowCount() < 20);
        QVERIFY(around->hasRowsBefore() && around->hasRowsAfter());

        around->fetchMoreBefore(10);
        QCOMPARE(before.count(), 1);
        QCOMPARE(around->currentRow(), 10); // the same row, now below the ten fetched before it
        QCOMPARE(around->asText("NAME"), QStringLiteral("w600"));
        around->moveTo(9);
        QCOMPARE(around->asText("NAME"), QStringLiteral("w599"));
    }

    // A refresh stays on the row; a posted change is written before the list is read again.
    // A new row whose place lies among the rows before the fetched stretch (another workstation
    // stored rows meanwhile) moves there itself: nothing else moves or goes.
    void newRowPlacedBeforeTheFetchedStretchStaysItself()
    {
        auto ds = words(QStringLiteral("NAME, K"), true);
        QVERIFY(ds->locate({QStringLiteral("Vitamina C")}));
        QVERIFY(ds->hasRowsBefore());
        ds->append();
        ds->setInteger(QStringLiteral("K"), 100);
        ds->setText(QStringLiteral("NAME"), QStringLiteral("Aaa"));
        ds->post();
        QCOMPARE(ds->asInteger(QStringLiteral("K")), 100);
        QCOMPARE(ds->pendingChanges(), 1);
        QCOMPARE(ds->applyUpdates(), 0);
        QCOMPARE(std::get<qint64>(conn().executeRow(QStringLiteral("select count(*) from WORDS")).front()), 16);
        ds->first();
        QCOMPARE(ds->recordCount(), 16);
    }

    // Saving a row of a long list found by a search writes it without reading the whole list,
    // stays on it, and walking the list afterwards meets every row once.
    void savingAfterASearchReadsOnlyAroundTheRow()
    {
        std::vector<Values> rows;
        for (int k = 100; k < 1100; ++k)
            rows.push_back({qint64(k), QStringLiteral("w%1").arg(k), Value{}});
        conn().executeMany(QStringLiteral("insert into WORDS (K, NAME, D) values (?, ?, ?)"), rows);
        auto around = words(QStringLiteral("NAME, K"), true);
        QVERIFY(around->locate({QStringLiteral("w600")}));
        around->edit();
        around->setText("NAME", QStringLiteral("w600b"));
        around->post();
        around->append();
        around->setInteger(QStringLiteral("K"), 5000);
        around->setText(QStringLiteral("NAME"), QStringLiteral("w601a"));
        around->post();
        QCOMPARE(around->applyUpdates(), 0);
        QVERIFY2(around->fetchedRowCount() < 100, qPrintable(QString::number(around->fetchedRowCount())));
        QCOMPARE(around->asText("NAME"), QStringLiteral("w601a"));

        QList<qint64> keys;
        for (around->first(); !around->eof(); around->next())
            keys << around->asInteger("K");
        QCOMPARE(keys.size(), 1016);
        QCOMPARE(QSet<qint64>(keys.begin(), keys.end()).size(), 1016);
    }

    void refreshAndChangesKeepTheRow()
    {
        auto around = words(QStringLiteral("NAME, K"), true);
        QVERIFY(around->locate({QStringLiteral("Bário")}));
        around->refresh();
        QCOMPARE(around->asText("NAME"), QStringLiteral("Bário"));
        around->edit();
        around->setText("NAME", QStringLiteral("Cobre"));
        around->post();
        QCOMPARE(around->applyUpdates(), 0);
        QVERIFY(around->locate({QStringLiteral("Cobre")}));
        QCOMPARE(around->asInteger("K"), 9);
        QVERIFY(!around->locate({QStringLiteral("Bário")}));
    }
};

QTEST_GUILESS_MAIN(TestKeyWindow)
#include "tst_keywindow.moc"
