#include "data/CachedDataset.h"
#include "data/DbError.h"
#include "data/SqlCommand.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

namespace {

// Every event of a dataset, by name, in the order they ran.
struct EventLog {
    QStringList events;

    void attach(CachedDataset& ds)
    {
        auto rec = [this](const char* name) { return [this, name](CachedDataset&) { events << QLatin1String(name); }; };
        ds.beforeInsert = rec("beforeInsert");
        ds.afterInsert = rec("afterInsert");
        ds.beforeEdit = rec("beforeEdit");
        ds.afterEdit = rec("afterEdit");
        ds.beforePost = rec("beforePost");
        ds.afterPost = rec("afterPost");
        ds.beforeDelete = rec("beforeDelete");
        ds.afterDelete = rec("afterDelete");
        ds.beforeScroll = rec("beforeScroll");
        ds.afterScroll = rec("afterScroll");
        ds.beforeRefresh = rec("beforeRefresh");
        ds.onPostError = [this](CachedDataset&, const std::exception&) { events << QStringLiteral("postError"); };
    }
};

using Mode = CachedDataset::WriteMode;

} // namespace

class TestCachedDataset : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    FbConnection& conn() { return db->connection(); }

    qint64 count(const QString& where = QString())
    {
        return std::get<qint64>(conn().executeRow(QStringLiteral("select count(*) from ITEMS ") + where).front());
    }
    QString serverText(const QString& sql)
    {
        const Values row = conn().executeRow(sql);
        return row.empty() || isNull(row.front()) ? QString() : std::get<QString>(row.front());
    }

    // ITEMS(K, NAME, QTY, NOTE, D) with rows K = 1..n, NAME "item k", QTY k, NOTE null.
    std::unique_ptr<CachedDataset> items(Mode mode = Mode::KeyColumns, const QString& order = QStringLiteral("K"))
    {
        auto ds =
            std::make_unique<CachedDataset>(QStringLiteral("Items"), conn(), QStringLiteral("ITEMS"), mode,
                                            QStringList{QStringLiteral("K")}, QStringList{QStringLiteral("NAME")});
        ds->setCommandText(QStringLiteral("select K, NAME, QTY, NOTE, D from ITEMS order by ") + order);
        return ds;
    }
    void fill(int n)
    {
        std::vector<Values> rows;
        for (int k = 1; k <= n; ++k)
            rows.push_back({qint64(k), QStringLiteral("item %1").arg(k), Decimal{k * 100, 2}});
        conn().executeMany(QStringLiteral("insert into ITEMS (K, NAME, QTY) values (?, ?, ?)"), rows);
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        conn().execute(QStringLiteral("create table ITEMS (K integer not null primary key, NAME varchar(10), "
                                      "QTY decimal(15,2), NOTE varchar(30), D date)"));
        conn().execute(QStringLiteral("create table PEOPLE (NAME varchar(40), CITY varchar(20))"));
        conn().execute(QStringLiteral("create table GRP (K integer not null primary key, GRUPO varchar(5))"));
    }
    void cleanup() { db.reset(); }

    void eventsRunInTheirOrder_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const auto list = [](const char* text) { return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts); };
        QTest::newRow("open") << list("") << list("afterScroll");
        QTest::newRow("next") << list("next") << list("afterScroll beforeScroll afterScroll");
        QTest::newRow("next past the end")
            << list("last next") << list("afterScroll beforeScroll afterScroll beforeScroll afterScroll");
        QTest::newRow("append") << list("append") << list("afterScroll beforeInsert afterInsert afterScroll");
        QTest::newRow("append and post")
            << list("append name post")
            << list("afterScroll beforeInsert afterInsert afterScroll beforePost afterPost");
        QTest::newRow("edit and post") << list("edit name post")
                                       << list("afterScroll beforeEdit afterEdit beforePost afterPost");
        QTest::newRow("edit twice") << list("edit edit") << list("afterScroll beforeEdit afterEdit");
        QTest::newRow("post without name")
            << list("edit clearname post") << list("afterScroll beforeEdit afterEdit beforePost postError");
        QTest::newRow("moving posts first")
            << list("edit name next")
            << list("afterScroll beforeEdit afterEdit beforePost afterPost beforeScroll afterScroll");
        QTest::newRow("moving cancels an untouched edit")
            << list("edit next") << list("afterScroll beforeEdit afterEdit beforeScroll afterScroll");
        QTest::newRow("delete") << list("delete") << list("afterScroll beforeDelete afterDelete afterScroll");
        QTest::newRow("delete in insert cancels")
            << list("append delete") << list("afterScroll beforeInsert afterInsert afterScroll");
        QTest::newRow("refresh") << list("refresh") << list("afterScroll beforeRefresh");
        QTest::newRow("locate found") << list("locate2") << list("afterScroll beforeScroll afterScroll");
        QTest::newRow("locate not found") << list("locate9") << list("afterScroll");
        QTest::newRow("cancel") << list("edit name cancel") << list("afterScroll beforeEdit afterEdit");
    }
    void eventsRunInTheirOrder()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        fill(3);
        auto ds = items();
        EventLog log;
        log.attach(*ds);
        ds->open();
        for (const QString& step : steps) {
            if (step == QLatin1String("next"))
                ds->next();
            else if (step == QLatin1String("last"))
                ds->last();
            else if (step == QLatin1String("append"))
                ds->append();
            else if (step == QLatin1String("edit"))
                ds->edit();
            else if (step == QLatin1String("name"))
                ds->setText(QStringLiteral("NAME"), QStringLiteral("novo"));
            else if (step == QLatin1String("clearname"))
                ds->clear(QStringLiteral("NAME"));
            else if (step == QLatin1String("post"))
                try {
                    ds->post();
                } catch (const DbError& e) {
                    QCOMPARE(e.sqlcode(), DbError::kRequiredNull);
                }
            else if (step == QLatin1String("cancel"))
                ds->cancel();
            else if (step == QLatin1String("delete"))
                ds->remove();
            else if (step == QLatin1String("refresh"))
                ds->refresh();
            else if (step.startsWith(QLatin1String("locate")))
                ds->locate({qint64(step.mid(6).toInt())});
        }
        QCOMPARE(log.events, expected);
    }

    void orderComesFromTheStatement_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("order");
        QTest::newRow("columns and directions") << "select K, NAME from ITEMS order by NAME desc, K"
                                                << "NAME K";
        QTest::newRow("position") << "select K, NAME from ITEMS order by 2"
                                  << "NAME";
        QTest::newRow("alias, nulls last") << "select K, NAME as NOME from ITEMS order by NOME nulls last"
                                           << "NOME";
        QTest::newRow("quoted text and comments")
            << "select K, NAME from ITEMS /* order by K */ where NAME <> 'order by K' order by NAME"
            << "NAME";
        QTest::newRow("qualified, joined")
            << "select A.K, A.NAME, B.K from ITEMS A join GRP B on B.K = A.K order by B.K, a.name"
            << "K_1 NAME";
        QTest::newRow("sub-query") << "select K, NAME from ITEMS where K in (select K from GRP) order by K"
                                   << "K";
        QTest::newRow("expression ends the key") << "select K, NAME from ITEMS order by K, upper(NAME), NAME"
                                                 << "K";
        QTest::newRow("collation of its own") << "select K, NAME from ITEMS order by NAME collate WIN_PTBR"
                                              << "";
        QTest::newRow("none") << "select K, NAME from ITEMS"
                              << "";
    }
    void orderComesFromTheStatement()
    {
        QFETCH(QString, sql);
        QFETCH(QString, order);
        CachedDataset ds(QStringLiteral("Order"), conn(), QStringLiteral("ITEMS"), Mode::ReadOnly);
        ds.setCommandText(sql);
        ds.open();
        QCOMPARE(ds.orderColumns().join(u' '), order);
    }

    void fieldsReadAndWriteByType_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("text cut to the column") << "NAME"
                                                << "abcdefghijklmno"
                                                << "abcdefghij";
        QTest::newRow("empty text is null") << "NOTE"
                                            << ""
                                            << "";
        QTest::newRow("decimal comma") << "QTY"
                                       << "1.234,5"
                                       << "1234,5";
        QTest::newRow("decimal point") << "QTY"
                                       << "2.75"
                                       << "2,75";
        QTest::newRow("date two-digit year") << "D"
                                             << "03/04/26"
                                             << "03/04/2026";
        QTest::newRow("unfilled date mask") << "D"
                                            << "__/__/__"
                                            << "";
    }
    void fieldsReadAndWriteByType()
    {
        QFETCH(QString, field);
        QFETCH(QString, written);
        QFETCH(QString, readBack);
        fill(1);
        auto ds = items();
        ds->open();
        ds->edit();
        ds->setText(field.toLower(), written); // names compare without letter case
        QCOMPARE(ds->asText(field), readBack);
        ds->post();
        QCOMPARE(ds->applyUpdates(), 0);
        ds->refresh();
        QCOMPARE(ds->asText(field), readBack);
        QCOMPARE(ds->isNull(field), readBack.isEmpty());
    }

    // A number past its column, or a date typed with a far-off year, is refused with a message
    // naming it; the field keeps its value and nothing of it reaches the database.
    void refusesWhatTheColumnCannotHold_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("asFloat");
        QTest::addColumn<QString>("message");
        const QString qtyTooLarge = QStringLiteral(" não cabe no campo QTY (no máximo 16 dígitos antes da vírgula e 2 "
                                                   "depois).");
        QTest::newRow("typed, past the column's digits")
            << "QTY"
            << "99999999999999999" << false << "O valor 99999999999999999" + qtyTooLarge;
        QTest::newRow("typed, past every exact number")
            << "QTY"
            << "100000000000000000" << false << "O valor 100000000000000000" + qtyTooLarge;
        QTest::newRow("computed") << "QTY"
                                  << "1e17" << true << "O valor 100000000000000000,00" + qtyTooLarge;
        QTest::newRow("year 9999") << "D"
                                   << "31/12/9999" << false
                                   << "'31/12/9999' não é uma data aceita: o ano deve estar entre 1900 e 2100.";
        QTest::newRow("year 2206") << "D"
                                   << "01/02/2206" << false
                                   << "'01/02/2206' não é uma data aceita: o ano deve estar entre 1900 e 2100.";
        QTest::newRow("year 1899") << "D"
                                   << "31/12/1899" << false
                                   << "'31/12/1899' não é uma data aceita: o ano deve estar entre 1900 e 2100.";
    }
    void refusesWhatTheColumnCannotHold()
    {
        QFETCH(QString, field);
        QFETCH(QString, written);
        QFETCH(bool, asFloat);
        fill(1);
        auto ds = items();
        ds->open();
        ds->edit();
        const QString before = ds->asText(field);
        try {
            if (asFloat)
                ds->setFloat(field, written.toDouble());
            else
                ds->setText(field, written);
            QFAIL("the value was taken");
        } catch (const ConversionError& e) {
            QTEST(e.message(), "message");
        }
        QCOMPARE(ds->asText(field), before);
        ds->post();
        QCOMPARE(ds->applyUpdates(), 0);
        QCOMPARE(count(QStringLiteral("where QTY = 1 and D is null")), 1);
    }

    void nullsReadAsEmptyZeroAndZeroDate()
    {
        fill(1);
        auto ds = items();
        ds->open();
        QCOMPARE(ds->asText(QStringLiteral("NOTE")), QString());
        QCOMPARE(ds->asInteger(QStringLiteral("NOTE")), 0);
        QCOMPARE(ds->asFloat(QStringLiteral("D")), 0.0);
        QCOMPARE(ds->asDateTime(QStringLiteral("D")), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
        QCOMPARE(ds->asInteger(QStringLiteral("QTY")), 1);
        QVERIFY_THROWS_EXCEPTION(ConversionError, ds->asInteger(QStringLiteral("NAME")));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, ds->value(QStringLiteral("NOPE")));
        QVERIFY_THROWS_EXCEPTION(DatasetError, ds->setText(QStringLiteral("NAME"), QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(DatasetError, ds->setCommandText(QStringLiteral("select 1 from rdb$database")));
    }

    void writesOnlyChangedColumnsByKeyOrAllColumns_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("rejected");
        QTest::newRow("key columns") << int(Mode::KeyColumns) << 0;
        QTest::newRow("all columns") << int(Mode::AllColumns) << 1;
    }
    void writesOnlyChangedColumnsByKeyOrAllColumns()
    {
        QFETCH(int, mode);
        QFETCH(int, rejected);
        fill(2);
        auto ds = items(Mode(mode));
        ds->open();
        // Another workstation changes the row's remark after it was read.
        db->newConnection()->execute(QStringLiteral("update ITEMS set NOTE = 'outro' where K = 1"));
        ds->edit();
        ds->setText(QStringLiteral("QTY"), QStringLiteral("9"));
        ds->post();
        QCOMPARE(ds->applyUpdates(), rejected);
        QCOMPARE(ds->pendingChanges(), rejected);
        if (rejected) {
            QCOMPARE(ds->lastApplyError(), QStringLiteral("Registro não encontrado ou alterado por outro usuário."));
            QCOMPARE(ds->lastApplyErrorCode(), DbError::kRowNotFound);
            QCOMPARE(count(QStringLiteral("where QTY = 9")), 0);
        } else {
            // Only QTY was written: the other workstation's remark stays.
            QCOMPARE(count(QStringLiteral("where QTY = 9 and NOTE = 'outro'")), 1);
        }
    }

    void allColumnsMatchNullsAndDeletes()
    {
        fill(3);
        auto ds = items(Mode::AllColumns);
        ds->open();
        ds->edit();
        ds->setText(QStringLiteral("NOTE"), QStringLiteral("revisto"));
        ds->post();
        ds->next();
        ds->remove();
        QCOMPARE(ds->pendingChanges(), 2);
        QCOMPARE(ds->applyUpdates(), 0);
        QCOMPARE(serverText(QStringLiteral("select NOTE from ITEMS where K = 1")), QStringLiteral("revisto"));
        QCOMPARE(count(), 2);
        // The written values are now the row as read: a second change finds it again.
        ds->first();
        ds->edit();
        ds->setText(QStringLiteral("NOTE"), QStringLiteral("de novo"));
        ds->post();
        QCOMPARE(ds->applyUpdates(), 0);
        QCOMPARE(serverText(QStringLiteral("select NOTE from ITEMS where K = 1")), QStringLiteral("de novo"));
    }

    void joinedColumnsAreNeverWritten()
    {
        fill(2);
        conn().execute(QStringLiteral("insert into GRP (K, GRUPO) values (1, 'REV')"));
        CachedDataset ds(QStringLiteral("Joined"), conn(), QStringLiteral("ITEMS"), Mode::KeyColumns,
                         {QStringLiteral("K")});
        ds.setCommandText(QStringLiteral("select A.K, A.NAME, B.K, B.GRUPO from ITEMS A, GRP B where A.K = B.K"));
        ds.open();
        QCOMPARE(ds.layout().at(2).name, QStringLiteral("K_1"));
        ds.edit();
        ds.setText(QStringLiteral("NAME"), QStringLiteral("trocado"));
        ds.setText(QStringLiteral("GRUPO"), QStringLiteral("SUP"));
        ds.setInteger(QStringLiteral("K_1"), 7);
        ds.post();
        QCOMPARE(ds.applyUpdates(), 0);
        QCOMPARE(serverText(QStringLiteral("select NAME from ITEMS where K = 1")), QStringLiteral("trocado"));
        QCOMPARE(serverText(QStringLiteral("select GRUPO from GRP where K = 1")), QStringLiteral("REV"));
    }

    void rejectedWriteStaysPendingAndIsRetried()
    {
        fill(2);
        auto ds = items();
        ds->open();
        ds->append();
        ds->setInteger(QStringLiteral("K"), 5);
        ds->setText(QStringLiteral("NAME"), QStringLiteral("quinto"));
        ds->post();
        ds->first();
        ds->edit();
        ds->setText(QStringLiteral("NAME"), QStringLiteral("primeiro"));
        ds->post();
        ds->append();
        ds->setInteger(QStringLiteral("K"), 6);
        ds->setText(QStringLiteral("NAME"), QStringLiteral("sexto"));
        ds->post();
        // Another workstation takes key 5 first: that insert is refused, the others still go.
        db->newConnection()->execute(QStringLiteral("insert into ITEMS (K, NAME) values (5, 'alheio')"));
        QCOMPARE(ds->applyUpdates(), 1);
        QCOMPARE(ds->lastApplyErrorCode(), DbError::kDuplicateKey);
        QVERIFY2(ds->lastApplyError().contains(QStringLiteral("PRIMARY or UNIQUE KEY")),
                 qPrintable(ds->lastApplyError()));
        QCOMPARE(ds->pendingChanges(), 1);
        QCOMPARE(serverText(QStringLiteral("select NAME from ITEMS where K = 1")), QStringLiteral("primeiro"));
        QCOMPARE(count(QStringLiteral("where K = 6")), 1);
        QVERIFY_THROWS_EXCEPTION(DatasetError, ds->refresh());

        conn().execute(QStringLiteral("delete from ITEMS where K = 5"));
        QCOMPARE(ds->applyUpdates(), 0);
        QCOMPARE(ds->pendingChanges(), 0);
        QCOMPARE(serverText(QStringLiteral("select NAME from ITEMS where K = 5")), QStringLiteral("quinto"));
        ds->refresh();
        QCOMPARE(ds->recordCount(), 4);
    }

    void duplicateDrawnKeyIsDrawnAgain()
    {
        fill(2);
        auto ds = items();
        int draws = 0;
        ds->setKeyDraw(QStringLiteral("K"), [&](qint64 skip) {
            ++draws;
            return Value{std::get<qint64>(conn().executeRow(QStringLiteral("select max(K) from ITEMS")).front()) + 1 +
                         skip};
        });
        ds->open();
        ds->append();
        ds->setInteger(QStringLiteral("K"), 3);
        ds->setText(QStringLiteral("NAME"), QStringLiteral("meu"));
        ds->post();
        db->newConnection()->execute(QStringLiteral("insert into ITEMS (K, NAME) values (3, 'alheio')"));
        QCOMPARE(ds->applyUpdates(), 0);
        QCOMPARE(draws, 1);
        // Stored under a key past the one taken, which the row now holds.
        const qint64 key = ds->asInteger(QStringLiteral("K"));
        QVERIFY(key > 3);
        QCOMPARE(serverText(QStringLiteral("select NAME from ITEMS where K = %1").arg(key)), QStringLiteral("meu"));
    }

    void refreshStaysOnTheSameRow()
    {
        fill(5);
        auto ds = items();
        ds->open();
        QVERIFY(ds->locate({qint64(4)}));
        conn().execute(QStringLiteral("insert into ITEMS (K, NAME) values (0, 'zero')"));
        ds->refresh();
        QCOMPARE(ds->asInteger(QStringLiteral("K")), 4);
        QCOMPARE(ds->currentRow(), 4);
        conn().execute(QStringLiteral("delete from ITEMS where K = 4"));
        ds->refresh();
        QCOMPARE(ds->currentRow(), 4); // gone: the same place, now the next row
        QCOMPARE(ds->asInteger(QStringLiteral("K")), 5);
    }

    void refreshFailsWhileChangesArePending()
    {
        fill(2);
        auto ds = items();
        ds->open();
        ds->remove();
        QVERIFY_THROWS_EXCEPTION(DatasetError, ds->refresh());
        QCOMPARE(count(), 2);
        ds->applyUpdates();
        ds->refresh();
        QCOMPARE(ds->recordCount(), 1);
    }

    void nearestSearchAgreesWithTheServer_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("notBefore"); // the server's condition for "not before the probe"
        QTest::addColumn<bool>("byCity");
        QTest::newRow("ascending") << "NAME"
                                   << "NAME >= ?" << false;
        QTest::newRow("descending") << "NAME desc"
                                    << "(NAME <= ? or NAME is null)" << false;
        QTest::newRow("two columns") << "CITY, NAME"
                                     << "CITY = 'Rio' and NAME >= ?" << true;
    }
    void nearestSearchAgreesWithTheServer()
    {
        QFETCH(QString, order);
        QFETCH(QString, notBefore);
        QFETCH(bool, byCity);
        const QStringList names = {QStringLiteral("Álvaro"),   QStringLiteral("alberto"), QStringLiteral("Alberto"),
                                   QStringLiteral("ALBERTO"),  QStringLiteral("Zé"),      QStringLiteral("zeca"),
                                   QStringLiteral("Ana "),     QStringLiteral("ana"),     QStringLiteral("Ângela"),
                                   QStringLiteral("Édson"),    QStringLiteral("edson"),   QStringLiteral("D'Ávila"),
                                   QStringLiteral("Çaçapava"), QStringLiteral("b"),       QStringLiteral("Ana\t")};
        int i = 0;
        for (const QString& n : names)
            conn().execute(QStringLiteral("insert into PEOPLE (NAME, CITY) values (?, ?)"),
                           {n, i++ % 2 ? Value{QStringLiteral("Rio")} : Value{}});
        conn().execute(QStringLiteral("insert into PEOPLE (NAME, CITY) values (null, 'Rio')"));
        CachedDataset ds(QStringLiteral("People"), conn(), QStringLiteral("PEOPLE"), Mode::AllColumns);
        ds.setCommandText(QStringLiteral("select NAME, CITY from PEOPLE order by ") + order);
        ds.open();
        const QStringList probes = {QStringLiteral("al"),   QStringLiteral("Al"),  QStringLiteral("ál"),
                                    QStringLiteral("Ál"),   QStringLiteral("ana"), QStringLiteral("Ana"),
                                    QStringLiteral("ze"),   QStringLiteral("Zz"),  QStringLiteral("É"),
                                    QStringLiteral("D'"),   QStringLiteral("A"),   QStringLiteral("zzz"),
                                    QStringLiteral("Ana "), QStringLiteral("Ç")};
        for (const QString& probe : probes) {
            const Values row = conn().executeRow(QStringLiteral("select first 1 NAME from PEOPLE where ") + notBefore +
                                                     QStringLiteral(" order by ") + order,
                                                 {probe});
            const bool found = ds.findNearest(byCity ? Values{QStringLiteral("Rio"), probe} : Values{probe});
            QVERIFY2(found == !row.empty(), qPrintable(probe));
            if (found)
                QVERIFY2(ds.value(QStringLiteral("NAME")) == row.front(),
                         qPrintable(probe + QStringLiteral(" -> ") + ds.asText(QStringLiteral("NAME"))));
        }
        const Values prefix = byCity ? Values{QStringLiteral("Rio")} : Values{};
        auto key = [&](const QString& name) {
            Values v = prefix;
            v.push_back(name);
            return v;
        };
        QVERIFY(ds.locate(key(QStringLiteral("alberto"))));
        QCOMPARE(ds.asText(QStringLiteral("NAME")), QStringLiteral("alberto"));
        QVERIFY(!ds.locate(key(QStringLiteral("Albert"))));
        QCOMPARE(ds.locate(key(QStringLiteral("Ana"))), !byCity); // "Ana ": trailing blanks do not count
    }

    void lazyOpenGivesTheResultsOfAFullFetch()
    {
        fill(500);
        auto lazy = items(Mode::KeyColumns, QStringLiteral("NAME"));
        auto full = items(Mode::KeyColumns, QStringLiteral("NAME"));
        lazy->open();
        QCOMPARE(lazy->fetchedRowCount(), 1);
        QCOMPARE(lazy->asText(QStringLiteral("NAME")), QStringLiteral("item 1"));
        full->open();
        full->fetchAll();
        const QStringList probes = {QStringLiteral("item 25"),   QStringLiteral("item 2"), QStringLiteral("item 99"),
                                    QStringLiteral("item 5000"), QStringLiteral("item"),   QStringLiteral("z")};
        for (const QString& p : probes) {
            auto reopened = items(Mode::KeyColumns, QStringLiteral("NAME"));
            reopened->open();
            QCOMPARE(reopened->findNearest({p}), full->findNearest({p}));
            QCOMPARE(reopened->asText(QStringLiteral("NAME")), full->asText(QStringLiteral("NAME")));
            QCOMPARE(reopened->currentRow(), full->currentRow());
            QCOMPARE(reopened->eof(), full->eof());
            QVERIFY(!reopened->allFetched() || p == QLatin1String("z") || p == QLatin1String("item 99"));
            QCOMPARE(reopened->locate({p}), full->locate({p}));
        }
        lazy->next();
        lazy->next(); // "item 1", "item 10", "item 100"...
        QCOMPARE(lazy->asText(QStringLiteral("NAME")), QStringLiteral("item 100"));
        QVERIFY(lazy->fetchedRowCount() < 10);
        QCOMPARE(lazy->recordCount(), 500);
        lazy->last();
        full->last();
        QCOMPARE(lazy->asText(QStringLiteral("NAME")), full->asText(QStringLiteral("NAME")));
    }

    void aCollationOfItsOwnStillGivesTheFullFetchResults()
    {
        conn().execute(QStringLiteral("create table NAMES (NAME varchar(20) character set WIN1252 collate WIN_PTBR)"));
        for (const char* n : {"b", "Álvaro", "alberto", "Zé", "ana", "Ana", "Édson", "carla"})
            conn().execute(QStringLiteral("insert into NAMES (NAME) values (?)"), {QString::fromUtf8(n)});
        auto open = [&] {
            auto ds = std::make_unique<CachedDataset>(QStringLiteral("Names"), conn(), QStringLiteral("NAMES"),
                                                      Mode::AllColumns);
            ds->setCommandText(QStringLiteral("select NAME from NAMES order by NAME"));
            ds->open();
            return ds;
        };
        auto full = open();
        full->fetchAll();
        for (const char* p : {"a", "B", "é", "z", "Carla"}) {
            auto lazy = open();
            const QString probe = QString::fromUtf8(p);
            QCOMPARE(lazy->findNearest({probe}), full->findNearest({probe}));
            QCOMPARE(lazy->currentRow(), full->currentRow());
        }
    }

    void postedRowMovesToItsPlaceInTheOrder()
    {
        fill(50);
        auto ds = items();
        ds->open();
        ds->edit();
        ds->setInteger(QStringLiteral("K"), 30); // between 29 and 31, not fetched yet
        ds->setText(QStringLiteral("NAME"), QStringLiteral("movido"));
        conn().execute(QStringLiteral("delete from ITEMS where K = 30"));
        ds->post();
        QCOMPARE(ds->asText(QStringLiteral("NAME")), QStringLiteral("movido"));
        QCOMPARE(ds->currentRow(), 28); // after 2..29
        ds->prior();
        QCOMPARE(ds->asInteger(QStringLiteral("K")), 29);
        QVERIFY(ds->locate({qint64(30)}));
        QCOMPARE(ds->asText(QStringLiteral("NAME")), QStringLiteral("movido"));
        QCOMPARE(ds->applyUpdates(), 0);
        QCOMPARE(serverText(QStringLiteral("select NAME from ITEMS where K = 30")), QStringLiteral("movido"));
        QCOMPARE(ds->recordCount(), 49);
    }

    void blobsAreReadWhileTheCursorLives()
    {
        conn().execute(QStringLiteral("create table DOCS (K integer not null primary key, B blob)"));
        const QByteArray bytes(70000, 'x');
        conn().execute(QStringLiteral("insert into DOCS (K, B) values (1, ?)"), {bytes});
        conn().execute(QStringLiteral("insert into DOCS (K) values (2)"));
        CachedDataset ds(QStringLiteral("Docs"), conn(), QStringLiteral("DOCS"), Mode::KeyColumns,
                         {QStringLiteral("K")});
        ds.setCommandText(QStringLiteral("select K, B from DOCS order by K"));
        ds.open();
        ds.fetchAll();
        QVERIFY(ds.allFetched());
        QCOMPARE(std::get<QByteArray>(ds.value(QStringLiteral("B"))), bytes);
        ds.next();
        QVERIFY(ds.isNull(QStringLiteral("B")));
    }

    void commandObjectReadsByAlias()
    {
        SqlCommand q(QStringLiteral("SQLQuery1"), conn());
        QVERIFY(isNull(q.single(QStringLiteral("select Max(K) as UltCod from ITEMS"), QStringLiteral("ultcod"))));
        fill(3);
        q.setText(QStringLiteral("select sum(QTY) as TOTAL, count(*) as QDE from ITEMS"));
        q.open();
        QCOMPARE(q.asFloat(QStringLiteral("TOTAL")), 6.0);
        QCOMPARE(q.asInteger(QStringLiteral("Qde")), 3);
        QVERIFY_THROWS_EXCEPTION(DatasetError, q.setText(QStringLiteral("select 1 from rdb$database")));
        q.close();
        q.setText(QStringLiteral("select K from ITEMS order by K"));
        q.open();
        QStringList keys;
        for (; !q.eof(); q.next())
            keys << q.asText(QStringLiteral("K"));
        QCOMPARE(keys, QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    }
};

QTEST_GUILESS_MAIN(TestCachedDataset)
#include "tst_cacheddataset.moc"
