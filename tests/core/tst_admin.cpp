#include "admin/AdminCommands.h"
#include "admin/BatchInsert.h"
#include "admin/DemoData.h"
#include "admin/Generator.h"
#include "data/DbError.h"
#include "entry/ProductNames.h"
#include "nfe/NfeImport.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/AccessRights.h"
#include "shell/Credential.h"
#include "shell/Workstation.h"
#include "tests/support/AdminRun.h"
#include "tests/support/NfeSample.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

class TestAdmin : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder;

    using Outcome = AdminOutcome;

    Outcome run(const QStringList& args) { return runAdmin(args); }

    QString sharedPath() const { return folder->filePath(QStringLiteral("dados/korvanis.bd")); }
    QString workstationPath() const { return folder->filePath(QStringLiteral("interfac/korvanis.bd")); }
    FbConnection::Params sharedParams() const { return {sharedPath(), QStringLiteral("SYSDBA"), {}}; }

    static qint64 count(FbConnection& c, const QString& sql, const Values& params = {})
    {
        return std::get<qint64>(c.executeRow(sql, params).front());
    }

    // The user is found as the login finds him, with his password and the rights asked for.
    static void verifyUser(FbConnection& c, const QString& name, const QString& password, bool financial)
    {
        const Values row = c.executeRow(QStringLiteral("select SENHA, ACESSO from USUARIOS where USUARIO = ?"),
                                        {EncodeCredential(name)});
        QVERIFY2(!row.empty() && !isNull(row.at(1)), qPrintable(name));
        QCOMPARE(isNull(row.at(0)) ? QString() : std::get<QString>(row.at(0)), EncodeCredential(password));
        const QString access = std::get<QString>(row.at(1));
        QVERIFY(rights::holdsModuleRight(access, name.at(0)));
        QCOMPARE(rights::holdsFinancialRight(access, name.at(0)), financial);
    }

private slots:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        qputenv("KORVANIS_DIR", QFile::encodeName(folder->path()));
    }
    void cleanup()
    {
        qunsetenv("KORVANIS_DIR");
        folder.reset();
    }

    // ---- Demo data -----------------------------------------------------------------------------

    void demoUsersLogInWithTheirRights()
    {
        TestDatabase db;
        FbConnection workstation(db.workstationParams());
        demo::fill(db.connection(), workstation, QStringLiteral("maria"), QDate::currentDate());

        struct Expected {
            const char* name;
            bool financial;
        };
        for (const Expected& e : {Expected{"MARIA", true}, Expected{"BALCAO", false}}) {
            const QString name = QString::fromLatin1(e.name);
            verifyUser(db.connection(), name, QStringLiteral("123"), e.financial);
            // Each user has a workstation of the store, found as the login finds it.
            const Values station = db.connection().executeRow(
                QStringLiteral("select ESTACAO, DATBASNAM, CNPJ from ESTACOES where upper(USUARIO) = ?"), {name});
            QVERIFY(!isNull(station.at(0)));
            QVERIFY(!std::get<QString>(station.at(1)).isEmpty());
            const QString cnpj = std::get<QString>(station.at(2));
            QCOMPARE(cnpj.size(), 14);
            QCOMPARE(count(db.connection(), QStringLiteral("select count(*) from TABLAB where LOJA = ?"), {cnpj}), 2);
        }
        QCOMPARE(
            std::get<QString>(db.connection()
                                  .executeRow(QStringLiteral("select ESTACAO from ESTACOES where USUARIO = 'maria'"))
                                  .front()),
            QStringLiteral("01"));
        QCOMPARE(count(workstation, QStringLiteral("select count(*) from PERIODO")), 1);
    }

    void demoFirstUserFitsTheUserTable_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("user");
        QTest::newRow("short name") << "ana"
                                    << "ANA";
        QTest::newRow("15 characters") << "abcdefghijklmno"
                                       << "ABCDEFGHIJKLMNO";
        QTest::newRow("too long to encode") << "abcdefghijklmnop"
                                            << "FARMACIA";
        QTest::newRow("same as the counter user") << "balcao"
                                                  << "FARMACIA";
        QTest::newRow("unknown") << ""
                                 << "FARMACIA";
    }
    void demoFirstUserFitsTheUserTable()
    {
        QFETCH(QString, login);
        QFETCH(QString, user);
        TestDatabase db;
        FbConnection workstation(db.workstationParams());
        const auto logins = demo::fill(db.connection(), workstation, login, QDate::currentDate());
        QCOMPARE(logins.front().name, user);
        QCOMPARE(count(db.connection(), QStringLiteral("select count(*) from USUARIOS where USUARIO = ?"),
                       {EncodeCredential(user)}),
                 1);
        QCOMPARE(count(db.connection(),
                       QStringLiteral("select count(*) from ESTACOES where ESTACAO = '01' and upper(USUARIO) = ?"),
                       {user}),
                 1);
    }

    void demoInvoicesAreConsistent()
    {
        TestDatabase db;
        FbConnection workstation(db.workstationParams());
        demo::fill(db.connection(), workstation, QStringLiteral("maria"), QDate::currentDate());
        FbConnection& c = db.connection();

        QVERIFY(count(c, QStringLiteral("select count(*) from NFISCAL")) >= 12);
        QVERIFY(count(c, QStringLiteral("select count(*) from FORNECED")) >= 20);
        QVERIFY(count(c, QStringLiteral("select count(*) from COMPONEN where GRUPO = 'SUP' and DCB is not null")) >=
                60);
        // Every invoice has items, numbered from 0001, under its number and supplier code.
        QCOMPARE(
            count(c, QStringLiteral("select count(*) from NFISCAL N where not exists (select 1 from COMPRAS C "
                                    "where C.NOTAFISCAL = N.NOTAFISCAL and C.CODIGOFORNECEDOR = N.CODIGOFORNECEDOR "
                                    "and C.RESPONSAVEL = '0001')")),
            0);
        // Items use known units and products; the products carry the catalogue's letter case.
        QCOMPARE(count(c, QStringLiteral("select count(*) from COMPRAS C where not exists (select 1 from UNIDADES U "
                                         "where U.UNIDADE = C.UNIDADE)")),
                 0);
        QCOMPARE(count(c, QStringLiteral("select count(*) from COMPRAS C where not exists (select 1 from COMPONEN P "
                                         "where P.CODIGO = C.CODIGO and P.COMPONENTE = C.COMPONENTE)")),
                 0);
        auto names = c.openCursor(QStringLiteral("select COMPONENTE from COMPONEN"));
        while (names->fetch())
            QCOMPARE(NormalizeProductName(names->text(0)), names->text(0));
        // Closed invoices were sent to accounts payable in full; the newest one is still open.
        QCOMPARE(count(c, QStringLiteral("select count(*) from NFISCAL N where N.VALBRUTO is not null and "
                                         "N.VALLIQUIDO <> (select sum(VALOR) from CTAPAGAR P where P.DESCRICAO = "
                                         "'N.Fiscal ' || N.NOTAFISCAL || ' ' || N.FORNECEDOR)")),
                 0);
        QCOMPARE(count(c, QStringLiteral("select count(*) from NFISCAL N where N.VALBRUTO is not null and not exists "
                                         "(select 1 from FORMASPG F where F.DESCRICAO = N.FORMAPAGTO)")),
                 0);
        QCOMPARE(count(c, QStringLiteral("select count(*) from NFISCAL where VALBRUTO is null and CODIGO = "
                                         "(select max(CODIGO) from NFISCAL)")),
                 1);
        // Each closed item is one movement and one lot.
        QCOMPARE(count(c, QStringLiteral("select count(*) from MOVEST")),
                 count(c, QStringLiteral("select count(*) from COMPRAS C join NFISCAL N on N.NOTAFISCAL = C.NOTAFISCAL "
                                         "and N.CODIGOFORNECEDOR = C.CODIGOFORNECEDOR where N.VALBRUTO is not null")));
    }

    void demoHasExpiredItemsForTheStartUpSweep()
    {
        TestDatabase db;
        FbConnection workstation(db.workstationParams());
        demo::fill(db.connection(), workstation, QStringLiteral("maria"), QDate::currentDate());
        const QString expired = QStringLiteral(
            "select count(*) from COMPRAS A, COMPONEN B WHERE A.CODIGO = B.CODIGO AND (B.GRUPO = 'REV' OR "
            "B.GRUPO = 'PRP') and A.VALIDADE < current_date and B.GRUPO = ? and ");
        for (const char* group : {"REV", "PRP"}) {
            QVERIFY(count(db.connection(), expired + QStringLiteral("A.SITUACAO is null"),
                          {QString::fromLatin1(group)}) > 0);
            QVERIFY(count(db.connection(), expired + QStringLiteral("A.SITUACAO = 'EM USO'"),
                          {QString::fromLatin1(group)}) > 0);
        }
        // Items of supplies are never swept.
        QCOMPARE(count(db.connection(), QStringLiteral("select count(*) from COMPRAS A join COMPONEN B on "
                                                       "A.CODIGO = B.CODIGO where B.GRUPO = 'SUP' and "
                                                       "A.VALIDADE < current_date")),
                 0);
    }

    // ---- Synthetic data -----------------------------------------------------------------------

    void generateGivesTheCountsAsked_data()
    {
        QTest::addColumn<int>("invoices");
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("products");
        QTest::addColumn<int>("suppliers");
        QTest::newRow("small") << 40 << 5 << 30 << 7;
        QTest::newRow("one supplier, one product") << 5 << 3 << 1 << 1;
        QTest::newRow("invoices without items") << 4 << 0 << 3 << 2;
        QTest::newRow("catalogue only") << 0 << 10 << 12 << 3;
    }
    void generateGivesTheCountsAsked()
    {
        QFETCH(int, invoices);
        QFETCH(int, items);
        QFETCH(int, products);
        QFETCH(int, suppliers);
        TestDatabase db;
        FbConnection workstation(db.workstationParams());
        generator::Options options;
        options.invoices = invoices;
        options.itemsPerInvoice = items;
        options.products = products;
        options.suppliers = suppliers;
        generator::generate(db.connection(), &workstation, QStringLiteral("maria"), options, QDate::currentDate());
        FbConnection& c = db.connection();
        QCOMPARE(count(c, QStringLiteral("select count(*) from NFISCAL")), invoices);
        QCOMPARE(count(c, QStringLiteral("select count(*) from COMPRAS")), qint64(invoices) * items);
        QCOMPARE(count(c, QStringLiteral("select count(*) from COMPONEN")), products);
        QCOMPARE(count(c, QStringLiteral("select count(*) from FORNECED")), suppliers);
        // An invoice is identified by its number and supplier code, and its items follow it.
        QCOMPARE(count(c, QStringLiteral(
                              "select count(*) from (select distinct NOTAFISCAL, CODIGOFORNECEDOR from NFISCAL)")),
                 invoices);
        QCOMPARE(
            count(c, QStringLiteral("select count(*) from COMPRAS C where not exists (select 1 from NFISCAL N where "
                                    "N.NOTAFISCAL = C.NOTAFISCAL and N.CODIGOFORNECEDOR = C.CODIGOFORNECEDOR "
                                    "and N.DATA = C.DATA)")),
            0);
        const qint64 closed = std::max(0, invoices - 3);
        QCOMPARE(count(c, QStringLiteral("select count(*) from MOVEST")), closed * items);
        QCOMPARE(count(c, QStringLiteral("select count(*) from ESTLOTE")), closed * items);
        QVERIFY(count(c, QStringLiteral("select count(*) from USUARIOS")) == 2);
        // The optimizer sees the loaded rows: an index made on the empty table has its selectivity.
        const Values selectivity =
            c.executeRow(QStringLiteral("select RDB$STATISTICS from RDB$INDICES where RDB$INDEX_NAME = 'PK_COMPONEN'"));
        QCOMPARE(float(std::get<double>(selectivity.front())), 1.0f / float(products)); // stored as a float
    }

    // Rows go out in chunks, each written in a transaction of its own: every row lands whole, in
    // its own columns, on either side of a chunk's end.
    void batchedRowsLandAsGiven()
    {
        TestDatabase db;
        FbConnection& c = db.connection();
        c.execute(QStringLiteral("create table LOTES_T (K integer not null primary key, NOME varchar(30), "
                                 "DATA date, VALOR decimal(15,2))"));
        BatchInsert batch(c, QStringLiteral("LOTES_T"), QStringLiteral("K, NOME, DATA, VALOR"), 100);
        const QDate first(2024, 2, 28);
        const int rows = 133; // a full chunk of 100, then 33 written by finish()
        for (int k = 0; k < rows; ++k) {
            batch.begin();
            batch.set(QStringLiteral("K"), qint64(k));
            if (k % 5 != 0)
                batch.set(QStringLiteral("NOME"), QStringLiteral("D'Ávila %1").arg(k));
            batch.set(QStringLiteral("DATA"), first.addDays(k));
            batch.set(QStringLiteral("VALOR"), Decimal{k * 101, 2});
            batch.end();
        }
        batch.finish();
        QCOMPARE(batch.written(), qint64(rows));
        auto cursor = c.openCursor(QStringLiteral("select K, NOME, DATA, VALOR from LOTES_T order by K"));
        int k = 0;
        for (; cursor->fetch(); ++k) {
            QCOMPARE(std::get<qint64>(cursor->value(0)), qint64(k));
            QCOMPARE(cursor->isNull(1), k % 5 == 0);
            if (k % 5 != 0)
                QCOMPARE(cursor->text(1), QStringLiteral("D'Ávila %1").arg(k));
            QCOMPARE(std::get<QDate>(cursor->value(2)), first.addDays(k));
            QCOMPARE(std::get<Decimal>(cursor->value(3)), (Decimal{k * 101, 2}));
        }
        QCOMPARE(k, rows);
    }

    void generatedInvoicesSpanTheYears()
    {
        TestDatabase db;
        generator::Options options;
        options.invoices = 200;
        options.itemsPerInvoice = 2;
        options.products = 50;
        options.suppliers = 10;
        const QDate today = QDate::currentDate();
        generator::generate(db.connection(), nullptr, QStringLiteral("maria"), options, today);
        const Values span = db.connection().executeRow(QStringLiteral("select min(DATA), max(DATA) from NFISCAL"));
        QVERIFY(std::get<QDate>(span.at(0)) <= today.addYears(-20).addDays(1));
        QVERIFY(std::get<QDate>(span.at(1)) >= today.addDays(-60));
        // Invoice codes grow with the date, as a pharmacy would have drawn them.
        QCOMPARE(count(db.connection(), QStringLiteral("select count(*) from NFISCAL A join NFISCAL B on "
                                                       "B.CODIGO = A.CODIGO + 1 where B.DATA < A.DATA")),
                 0);
    }

    // ---- Commands -----------------------------------------------------------------------------

    void initCreatesBothDatabasesAndRefusesToOverwrite()
    {
        const Outcome first = run({QStringLiteral("init")});
        QCOMPARE(first.code, int(admin::kSuccess));
        QVERIFY(QFile::exists(sharedPath()));
        QVERIFY(QFile::exists(workstationPath()));
        {
            FbConnection c(sharedParams());
            c.execute(QStringLiteral("insert into COTDOLAR (COTDOLAR) values (5.45)"));
        }
        for (const QStringList& args :
             {QStringList{QStringLiteral("init")}, QStringList{QStringLiteral("demo")},
              QStringList{QStringLiteral("generate"), QStringLiteral("--invoices"), QStringLiteral("1")},
              QStringList{QStringLiteral("init"), QStringLiteral("--database"), sharedPath()}}) {
            const Outcome again = run(args);
            QCOMPARE(again.code, int(admin::kFailure));
            QVERIFY2(again.err.contains(QStringLiteral("Já existe um banco de dados")), qPrintable(again.err));
        }
        FbConnection c(sharedParams());
        QCOMPARE(count(c, QStringLiteral("select count(*) from COTDOLAR")), 1);
        QCOMPARE(count(c, QStringLiteral("select count(*) from USUARIOS")), 0);
    }

    void initWithAnExistingWorkstationDatabaseCreatesNothing()
    {
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("interfac")));
        QFile stray(workstationPath());
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.write("not a database");
        stray.close();
        QCOMPARE(run({QStringLiteral("init")}).code, int(admin::kFailure));
        QVERIFY(!QFile::exists(sharedPath()));
    }

    void initAtANamedDatabase()
    {
        const QString name = folder->filePath(QStringLiteral("outro.fdb"));
        const Outcome o = run({QStringLiteral("init"), QStringLiteral("--database"), name});
        QCOMPARE(o.code, int(admin::kSuccess));
        QVERIFY(QFile::exists(name));
        QVERIFY(!QFile::exists(sharedPath()));
    }

    void demoPrintsTheLogins()
    {
        const Outcome o = run({QStringLiteral("demo")});
        QCOMPARE(o.code, int(admin::kSuccess));
        QVERIFY2(o.out.contains(QStringLiteral("Usuário: BALCAO  Senha: 123\n")), qPrintable(o.out));
        QCOMPARE(o.out.count(QStringLiteral("  Senha: 123\n")), 2);
    }

    void badArgumentsChangeNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("no command") << QStringList{} << int(admin::kBadArguments);
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << int(admin::kBadArguments);
        QTest::newRow("init with extra argument") << QStringList{"init", "agora"} << int(admin::kBadArguments);
        QTest::newRow("init with unknown option") << QStringList{"init", "--force"} << int(admin::kBadArguments);
        QTest::newRow("database without name") << QStringList{"init", "--database"} << int(admin::kBadArguments);
        QTest::newRow("demo with argument") << QStringList{"demo", "grande"} << int(admin::kBadArguments);
        QTest::newRow("encode without text") << QStringList{"encode"} << int(admin::kBadArguments);
        QTest::newRow("encode two texts") << QStringList{"encode", "A", "B"} << int(admin::kBadArguments);
        QTest::newRow("user without add") << QStringList{"user", "joana", "123"} << int(admin::kBadArguments);
        QTest::newRow("user add without password") << QStringList{"user", "add", "joana"} << int(admin::kBadArguments);
        QTest::newRow("user name too long")
            << QStringList{"user", "add", "joanadasilvasant", "1"} << int(admin::kFailure);
        QTest::newRow("password too long") << QStringList{"user", "add", "joana", "1234567"} << int(admin::kFailure);
        QTest::newRow("generate text count")
            << QStringList{"generate", "--invoices", "muitas"} << int(admin::kBadArguments);
        QTest::newRow("generate negative") << QStringList{"generate", "--products", "-1"} << int(admin::kBadArguments);
        QTest::newRow("generate no suppliers")
            << QStringList{"generate", "--suppliers", "0"} << int(admin::kBadArguments);
        QTest::newRow("generate too many suppliers")
            << QStringList{"generate", "--suppliers", "10000"} << int(admin::kBadArguments);
        QTest::newRow("generate missing value") << QStringList{"generate", "--invoices"} << int(admin::kBadArguments);
        QTest::newRow("generate scale zero") << QStringList{"generate", "--scale", "0"} << int(admin::kBadArguments);
        QTest::newRow("workstation without add")
            << QStringList{"workstation", "01", "joana"} << int(admin::kBadArguments);
        QTest::newRow("workstation add without user")
            << QStringList{"workstation", "add", "01"} << int(admin::kBadArguments);
        QTest::newRow("dbuser without server")
            << QStringList{"dbuser", "add", "balcao", "x"} << int(admin::kBadArguments);
        QTest::newRow("dbuser as the administrator")
            << QStringList{"dbuser", "add", "sysdba", "x", "--server", "localhost"} << int(admin::kFailure);
        QTest::newRow("dbuser name with an accent")
            << QStringList{"dbuser", "add", "balcão", "x", "--server", "localhost"} << int(admin::kFailure);
        QTest::newRow("dbuser name with a quote")
            << QStringList{"dbuser", "add", "a\"b", "x", "--server", "localhost"} << int(admin::kFailure);
        QTest::newRow("dbuser without password")
            << QStringList{"dbuser", "add", "balcao", "", "--server", "localhost"} << int(admin::kFailure);
        QTest::newRow("generate unknown option")
            << QStringList{"generate", "--years", "5"} << int(admin::kBadArguments);
    }
    void badArgumentsChangeNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        const Outcome o = run(args);
        QCOMPARE(o.code, code);
        QVERIFY(!o.err.isEmpty());
        QVERIFY(o.out.isEmpty());
        QVERIFY(QDir(folder->path()).isEmpty());
    }

    void encodePrintsTheTextAsGiven_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("ABC") << "ABC"
                             << "BKBCAK\n";
        QTest::newRow("lower case kept") << "abc"
                                         << "BLBDAL\n";
        QTest::newRow("accented") << "Ç"
                                  << "DO\n";
    }
    void encodePrintsTheTextAsGiven()
    {
        QFETCH(QString, text);
        QFETCH(QString, encoded);
        const Outcome o = run({QStringLiteral("encode"), text});
        QCOMPARE(o.code, int(admin::kSuccess));
        QCOMPARE(o.out, encoded);
    }

    void userAddWritesTheEncodedUser()
    {
        QCOMPARE(
            run({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("joana"), QStringLiteral("abc")}).code,
            int(admin::kFailure)); // no database yet
        QCOMPARE(run({QStringLiteral("init")}).code, int(admin::kSuccess));
        const Outcome added = run({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("joana"),
                                   QStringLiteral("abc"), QStringLiteral("--financial")});
        QCOMPARE(added.code, int(admin::kSuccess));
        QVERIFY(added.out.contains(QStringLiteral("JOANA")));
        QCOMPARE(run({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("pedro"), QStringLiteral("")}).code,
                 int(admin::kSuccess));
        const Outcome twice =
            run({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("JOANA"), QStringLiteral("x")});
        QCOMPARE(twice.code, int(admin::kFailure));
        QVERIFY(twice.err.contains(QStringLiteral("já está cadastrado")));

        FbConnection c(sharedParams());
        verifyUser(c, QStringLiteral("JOANA"), QStringLiteral("ABC"), true);
        verifyUser(c, QStringLiteral("PEDRO"), QString(), false);
    }

    // ---- NF-e import ------------------------------------------------------------------------

    void importNfeGoesOnPastRefusedFiles()
    {
        QCOMPARE(run({QStringLiteral("init")}).code, 0);
        SampleNfe nfe;
        nfe.signedByIssuer = true;
        const QString first = nfe.writeTo(folder->path(), QStringLiteral("a.xml"));
        const QString again = nfe.writeTo(folder->path(), QStringLiteral("b.xml"));
        const QString corrupt = folder->filePath(QStringLiteral("c.xml"));
        QFile file(corrupt);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(nfe.xml().left(300));
        file.close();

        const Outcome o = run({QStringLiteral("import-nfe"), QStringLiteral("--receipt"), QStringLiteral("08/04/2024"),
                               first, again, corrupt});
        QCOMPARE(o.code, 1);
        const QStringList lines = o.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], first + QStringLiteral(": importada: NF-e 1234 de Distribuidora Boa Vida Ltda, 1 item(ns), "
                                                  "0 reconhecido(s) pelo código do fornecedor, 0 pelo código de "
                                                  "barras, 1 não reconhecido(s)"));
        QCOMPARE(lines[1], again + QStringLiteral(": recusada: Nota Fiscal já cadastrada no KORVANIS."));
        QVERIFY2(lines[2].startsWith(corrupt + QStringLiteral(": recusada: O arquivo não é um XML válido")),
                 qPrintable(lines[2]));
        QCOMPARE(lines[3], QStringLiteral("3 arquivo(s): 1 importado(s), 2 recusado(s)."));

        FbConnection c(sharedParams());
        QCOMPARE(count(c, QStringLiteral("select count(*) from NFISCAL")), 1);
        QCOMPARE(count(c, QStringLiteral("select count(*) from NFISCAL where NOTAFISCAL = '1234' and "
                                         "DATARECEBIM = '2024-04-08'")),
                 1);
        QCOMPARE(count(c, QStringLiteral("select count(*) from COMPRAS")), 1);
    }

    // The inbox: each new file imported or refused once, and moved out of the way with its reason.
    void importNfeInboxMovesEachFileOnce()
    {
        QCOMPARE(run({QStringLiteral("init")}).code, 0);
        const QDir inbox(folder->filePath(QStringLiteral("entrada")));
        QVERIFY(inbox.mkpath(QStringLiteral(".")));
        SampleNfe nfe;
        nfe.signedByIssuer = true;
        nfe.writeTo(inbox.path(), QStringLiteral("a.xml"));
        nfe.writeTo(inbox.path(), QStringLiteral("b.xml"));
        QFile broken(inbox.filePath(QStringLiteral("c.xml")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(nfe.xml().left(300));
        broken.close();
        const QStringList inboxRun{QStringLiteral("import-nfe"), QStringLiteral("--inbox"), inbox.path()};

        const Outcome first = run(inboxRun);
        QCOMPARE(first.code, 1);
        QCOMPARE(inbox.entryList({QStringLiteral("*.xml")}, QDir::Files), QStringList{});
        QCOMPARE(QDir(inbox.filePath(QStringLiteral("importadas"))).entryList(QDir::Files), QStringList{"a.xml"});
        const QDir refused(inbox.filePath(QStringLiteral("recusadas")));
        QCOMPARE(refused.entryList(QDir::Files), (QStringList{"b.txt", "b.xml", "c.txt", "c.xml"}));
        const auto reason = [&](const QString& name) {
            QFile f(refused.filePath(name));
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        QCOMPARE(reason(QStringLiteral("b.txt")), QStringLiteral("Nota Fiscal já cadastrada no KORVANIS.\n"));
        QVERIFY2(reason(QStringLiteral("c.txt")).startsWith(QStringLiteral("O arquivo não é um XML válido")),
                 qPrintable(reason(QStringLiteral("c.txt"))));

        const Outcome second = run(inboxRun);
        QCOMPARE(second.code, 0);
        QCOMPARE(second.out, QStringLiteral("Nenhum arquivo XML novo na pasta %1.\n").arg(inbox.path()));
        FbConnection c(sharedParams());
        QCOMPARE(count(c, QStringLiteral("select count(*) from NFISCAL")), 1);
        QCOMPARE(count(c, QStringLiteral("select count(*) from COMPRAS")), 1);
    }

    void supplierCodesCanBeListedAndForgotten()
    {
        QCOMPARE(run({QStringLiteral("init")}).code, 0);
        {
            FbConnection c(sharedParams());
            c.execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('P-10', 'LUVA M', "
                                     "'SUP')"));
            c.execute(QStringLiteral("insert into PRODFORN (CNPJ, CPROD, CODIGO, UCOM, UNIDADE, FATOR) values "
                                     "('05125726000255', 'LV-M', 'P-10', 'cx', 'un', 100)"));
        }
        const Outcome listed = run({QStringLiteral("supplier-codes"), QStringLiteral("list")});
        QCOMPARE(listed.code, 0);
        QCOMPARE(listed.out, QStringLiteral("05125726000255\tLV-M\tP-10\tLUVA M\t1 cx = 100.00000 un\n"));
        const QStringList remove{QStringLiteral("supplier-codes"), QStringLiteral("remove"),
                                 QStringLiteral("05.125.726/0002-55"), QStringLiteral("LV-M")};
        QCOMPARE(run(remove).code, 0);
        const Outcome again = run(remove);
        QCOMPARE(again.code, 1);
        QCOMPARE(again.err, QStringLiteral("O código LV-M do fornecedor de CNPJ 05125726000255 não está guardado.\n"));
        QCOMPARE(run({QStringLiteral("supplier-codes"), QStringLiteral("list")}).out,
                 QStringLiteral("Nenhum código de fornecedor guardado.\n"));
    }

    // A receipt date past the 50-year window of two-digit years keeps its year.
    void importNfeKeepsTheWholeYearOfTheReceipt()
    {
        QCOMPARE(run({QStringLiteral("init")}).code, 0);
        SampleNfe nfe;
        nfe.signedByIssuer = true;
        const QString file = nfe.writeTo(folder->path());
        QCOMPARE(
            run({QStringLiteral("import-nfe"), QStringLiteral("--receipt"), QStringLiteral("08/04/2099"), file}).code,
            0);
        FbConnection c(sharedParams());
        QCOMPARE(count(c, QStringLiteral("select count(*) from NFISCAL where DATARECEBIM = '2099-04-08'")), 1);
    }

    void importNfeAnswersTheQuestionsNo_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("line");
        QTest::newRow("unsigned, refused")
            << false << 1
            << ": recusada: O arquivo não traz a assinatura digital da NF-e: não há como saber se foi alterado depois "
               "de emitido. Importação não confirmada.";
        QTest::newRow("unsigned, accepted")
            << true << 0
            << ": importada: NF-e 1234 de Distribuidora Boa Vida Ltda, 1 item(ns), 0 reconhecido(s) pelo código "
               "do fornecedor, 0 pelo código de barras, 1 não reconhecido(s), sem assinatura digital";
    }
    void importNfeAnswersTheQuestionsNo()
    {
        QFETCH(bool, accept);
        QFETCH(QString, line);
        QCOMPARE(run({QStringLiteral("init")}).code, 0);
        const QString path = SampleNfe{}.writeTo(folder->path());
        QStringList args{QStringLiteral("import-nfe"), path};
        if (accept)
            args << QStringLiteral("--accept-unsigned");
        const Outcome o = run(args);
        QTEST(o.code, "code");
        QCOMPARE(o.out.split(u'\n').first(), path + line);
    }

    // ---- Workstations ----------------------------------------------------------------------------

    // A workstation added for a user completes his login: the login finds it and its store.
    void workstationAddCompletesTheLogin()
    {
        QCOMPARE(run({QStringLiteral("init")}).code, int(admin::kSuccess));
        for (const char* name : {"joana", "pedro"})
            QCOMPARE(
                run({QStringLiteral("user"), QStringLiteral("add"), QString::fromLatin1(name), QStringLiteral("1")})
                    .code,
                int(admin::kSuccess));
        const Outcome noStore =
            run({QStringLiteral("workstation"), QStringLiteral("add"), QStringLiteral("01"), QStringLiteral("joana")});
        QCOMPARE(noStore.code, int(admin::kFailure));
        QVERIFY2(noStore.err.contains(QStringLiteral("--cnpj")), qPrintable(noStore.err));

        const Outcome first =
            run({QStringLiteral("workstation"), QStringLiteral("add"), QStringLiteral("01"), QStringLiteral("joana"),
                 QStringLiteral("--cnpj"), QStringLiteral("11.222.333/0001-81")});
        QCOMPARE(first.code, int(admin::kSuccess));
        QVERIFY2(first.out.contains(QStringLiteral("JOANA")), qPrintable(first.out));
        // Without --cnpj the store is the first workstation's.
        QCOMPARE(
            run({QStringLiteral("workstation"), QStringLiteral("add"), QStringLiteral("2"), QStringLiteral("Pedro")})
                .code,
            int(admin::kSuccess));

        SessionState session;
        const auto module = testdm::open(sharedParams(), {workstationPath(), QStringLiteral("SYSDBA"), {}}, session);
        TDM& dm = *module;
        for (const auto& [user, code] : {std::pair{"JOANA", "01"}, std::pair{"PEDRO", "2"}}) {
            session.CurrentUserName = QString::fromLatin1(user);
            const WorkstationBinding binding = IdentifyWorkstation(dm, session);
            QVERIFY2(binding.messages.isEmpty(), qPrintable(binding.messages.join(QLatin1Char('\n'))));
            QCOMPARE(session.WorkstationCode, QString::fromLatin1(code));
            QCOMPARE(session.StoreCnpj, QStringLiteral("11222333000181"));
        }
    }

    void workstationAddRefuses_data()
    {
        QTest::addColumn<QStringList>("args"); // after "workstation add"
        QTest::addColumn<QString>("reason");
        QTest::newRow("code too long") << QStringList{"0001", "pedro"} << "de 1 a 3";
        QTest::newRow("code with a blank") << QStringList{"0 1", "pedro"} << "de 1 a 3";
        QTest::newRow("code taken") << QStringList{"01", "pedro"} << "estação 01 já está cadastrada";
        QTest::newRow("unknown user") << QStringList{"05", "maria"} << "MARIA não está cadastrado";
        QTest::newRow("user at another workstation") << QStringList{"05", "Joana"} << "associado à estação 01";
        QTest::newRow("wrong check digit")
            << QStringList{"05", "pedro", "--cnpj", "11222333000182"} << "não é um CNPJ válido";
        QTest::newRow("CNPJ too short") << QStringList{"05", "pedro", "--cnpj", "1122233300018"}
                                        << "não é um CNPJ válido";
    }
    void workstationAddRefuses()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, reason);
        QCOMPARE(run({QStringLiteral("init")}).code, int(admin::kSuccess));
        for (const char* name : {"joana", "pedro"})
            QCOMPARE(
                run({QStringLiteral("user"), QStringLiteral("add"), QString::fromLatin1(name), QStringLiteral("1")})
                    .code,
                int(admin::kSuccess));
        QCOMPARE(run({QStringLiteral("workstation"), QStringLiteral("add"), QStringLiteral("01"),
                      QStringLiteral("joana"), QStringLiteral("--cnpj"), QStringLiteral("11222333000181")})
                     .code,
                 int(admin::kSuccess));

        const Outcome o = run(QStringList{QStringLiteral("workstation"), QStringLiteral("add")} + args);
        QCOMPARE(o.code, int(admin::kFailure));
        QVERIFY2(o.err.contains(reason), qPrintable(o.err));
        FbConnection c(sharedParams());
        QCOMPARE(count(c, QStringLiteral("select count(*) from ESTACOES")), qint64(1));
    }

    void executableExitCodes()
    {
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/korvanis-admin");
        if (!QFile::exists(program))
            QSKIP("korvanis-admin not built");
        QProcess p;
        p.start(program, {QStringLiteral("encode"), QStringLiteral("ABC")});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), QByteArray("BKBCAK\n"));
        p.start(program, {});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), int(admin::kBadArguments));
        QVERIFY(p.readAllStandardError().contains("Uso: korvanis-admin"));
    }
};

QTEST_GUILESS_MAIN(TestAdmin)
#include "tst_admin.moc"
