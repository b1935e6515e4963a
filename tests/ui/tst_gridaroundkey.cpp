#include "data/CachedDataset.h"
#include "tests/support/TestDatabase.h"
#include "widgets/DBGrid.h"

#include <QVBoxLayout>
#include <QtTest>

// A grid over a list read around a key scrolls both ways from the row found, to the first and the
// last row of the whole list.
class TestGridAroundKey : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<CachedDataset> words;
    std::unique_ptr<DataSource> source;
    std::unique_ptr<QWidget> window;
    DBGrid* grid = nullptr;

    QString currentName() { return words->asText("NAME"); }
    QString shownName() { return grid->currentIndex().data().toString(); }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        auto& conn = db->connection();
        conn.execute(QStringLiteral("create table WORDS (K integer not null primary key, NAME varchar(20))"));
        conn.execute(QStringLiteral("create index IX_WORDS on WORDS (NAME)"));
        conn.execute(QStringLiteral("create descending index IX_WORDS_D on WORDS (NAME)"));
        std::vector<Values> rows;
        for (int k = 1; k <= 1000; ++k)
            rows.push_back({qint64(k), QStringLiteral("w%1").arg(k, 4, 10, QLatin1Char('0'))});
        conn.executeMany(QStringLiteral("insert into WORDS (K, NAME) values (?, ?)"), rows);

        words = std::make_unique<CachedDataset>(QStringLiteral("Words"), conn, QStringLiteral("WORDS"),
                                                CachedDataset::WriteMode::ReadOnly);
        words->setCommandText(QStringLiteral("select K, NAME from WORDS order by NAME"));
        words->setReadAroundKey(true);
        words->open();
        source = std::make_unique<DataSource>(QStringLiteral("DS_Words"), words.get(), false);
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        grid = new DBGrid(window.get());
        grid->setColumns({{QStringLiteral("NAME"), QStringLiteral("Nome"), 120, {}, {}, true}});
        grid->setGridReadOnly(true);
        grid->setDataSource(source.get());
        layout->addWidget(grid);
        window->resize(300, 300);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        grid->setFocus();
    }
    void cleanup()
    {
        window.reset();
        source.reset();
        words.reset();
        db.reset();
    }

    void scrollsBothWaysToTheEnds()
    {
        QVERIFY(words->findNearest({QStringLiteral("w0500")}));
        QTRY_COMPARE(shownName(), QStringLiteral("w0500"));
        QVERIFY(grid->model()->rowCount() < 200); // not the whole list

        for (int i = 0; i < 150; ++i)
            QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(currentName(), QStringLiteral("w0350"));
        QCOMPARE(shownName(), QStringLiteral("w0350"));
        for (int i = 0; i < 300; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(currentName(), QStringLiteral("w0650"));

        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(currentName(), QStringLiteral("w0001"));
        QCOMPARE(shownName(), QStringLiteral("w0001"));
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(currentName(), QStringLiteral("w0001"));

        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(currentName(), QStringLiteral("w1000"));
        QCOMPARE(shownName(), QStringLiteral("w1000"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(grid, Qt::Key_PageUp);
        QVERIFY(currentName() < QStringLiteral("w1000"));
        QCOMPARE(shownName(), currentName());
    }
};

QTEST_MAIN(TestGridAroundKey)
#include "tst_gridaroundkey.moc"
