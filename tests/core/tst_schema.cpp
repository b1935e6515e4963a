#include "data/DbError.h"
#include "db/ColumnLists.h"
#include "db/Schema.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

// The tables the schema scripts create, read back from the database's own catalogue. The
// databases are made once; only the last case writes.
class TestSchema : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;

    // The first column of every row of a query, as text.
    static QStringList texts(FbConnection& connection, const QString& sql, const Values& params = {})
    {
        QStringList out;
        auto cursor = connection.openCursor(sql, params);
        while (cursor->fetch())
            out << cursor->text(0);
        return out;
    }

    static QStringList columnsOf(FbConnection& connection, const QString& table)
    {
        return texts(connection,
                     QStringLiteral("select trim(RDB$FIELD_NAME) from RDB$RELATION_FIELDS "
                                    "where RDB$RELATION_NAME = ? order by RDB$FIELD_POSITION"),
                     {table});
    }

    static QStringList tablesOf(FbConnection& connection)
    {
        return texts(connection, QStringLiteral("select trim(RDB$RELATION_NAME) from RDB$RELATIONS "
                                                "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1"));
    }

    // A column's type written the way the tables are documented: text(n), integer, decimal(p,s),
    // double, date, time, timestamp, blob; a "!" marks a required column.
    QString describe(const QString& table, const QString& column)
    {
        auto cursor = db->connection().openCursor(
            QStringLiteral("select F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$CHARACTER_LENGTH, "
                           "F.RDB$FIELD_PRECISION, F.RDB$FIELD_SCALE, "
                           "coalesce(R.RDB$NULL_FLAG, F.RDB$NULL_FLAG, 0) "
                           "from RDB$RELATION_FIELDS R join RDB$FIELDS F on F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE "
                           "where R.RDB$RELATION_NAME = ? and R.RDB$FIELD_NAME = ?"),
            {table, column});
        if (!cursor->fetch())
            return QStringLiteral("missing");
        const auto number = [&](int i) { return cursor->isNull(i) ? 0 : std::get<qint64>(cursor->value(i)); };
        QString type;
        switch (number(0)) {
        case 37:
            type = QStringLiteral("text(%1)").arg(number(2));
            break;
        case 8:
        case 16:
            type = number(1) == 0 ? QStringLiteral("integer%1").arg(number(0) == 16 ? QStringLiteral("64") : QString())
                                  : QStringLiteral("decimal(%1,%2)").arg(number(3)).arg(-number(4));
            break;
        case 27:
            type = QStringLiteral("double");
            break;
        case 12:
            type = QStringLiteral("date");
            break;
        case 13:
            type = QStringLiteral("time");
            break;
        case 35:
            type = QStringLiteral("timestamp");
            break;
        case 261:
            type = QStringLiteral("blob");
            break;
        default:
            type = QStringLiteral("type %1").arg(number(0));
        }
        return number(5) == 1 ? type + QLatin1Char('!') : type;
    }

private slots:
    void initTestCase() { db = std::make_unique<TestDatabase>(); }
    void cleanupTestCase() { db.reset(); }

    // A database made before the NF-e import kept the suppliers' codes gets their tables, and only
    // once: running the step again creates nothing.
    void anOlderDatabaseGetsTheSupplierCodeTables()
    {
        TestDatabase older;
        FbConnection& c = older.connection();
        for (const char* sql : {"drop trigger COMPRAS_ITEMNFE", "drop table ITEMNFE", "drop table PRODFORN"})
            c.execute(QString::fromLatin1(sql));
        QCOMPARE(schema::createMissingAccess(c, QStringLiteral("shared-access.sql")),
                 (QStringList{"PRODFORN", "ITEMNFE", "COMPRAS_ITEMNFE"}));
        QCOMPARE(schema::createMissingAccess(c, QStringLiteral("shared-access.sql")), QStringList{});
    }

    void everyTableIsCreated()
    {
        QCOMPARE(tablesOf(db->connection()),
                 QStringList({"COMPONEN", "COMPRAS", "COTDOLAR", "CTAPAGAR", "ESTACOES", "ESTLOTE", "FORMASPG",
                              "FORNECED", "ITEMNFE", "MOVEST", "NFISCAL", "PAGDIVER", "PRODFORN", "SINONIMO",
                              "TABFORMP", "TABLAB", "UNIDADES", "USUARIOS"}));
        FbConnection workstation(db->workstationParams());
        QCOMPARE(tablesOf(workstation), QStringList({"PERIODO"}));
        QCOMPARE(columnsOf(workstation, QStringLiteral("PERIODO")),
                 QStringList({"DATAINICIAL", "DATAFINAL", "HORAINICIAL", "HORAFINAL", "CHAVE", "ESTACAO", "NPEDIDO",
                              "NFORMULA", "VALORTOTAL", "VALORTOTAL2"}));
    }

    void bothDatabasesUseWin1252AndDialect3()
    {
        FbConnection workstation(db->workstationParams());
        for (FbConnection* c : {&db->connection(), &workstation}) {
            const Values row = c->executeRow(QStringLiteral("select trim(D.RDB$CHARACTER_SET_NAME), M.MON$SQL_DIALECT "
                                                            "from RDB$DATABASE D cross join MON$DATABASE M"));
            QCOMPARE(std::get<QString>(row.at(0)), QStringLiteral("WIN1252"));
            QCOMPARE(std::get<qint64>(row.at(1)), 3);
        }
    }

    void columnListsMatchTheTables_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("count");
        QTest::newRow("NFiscalColumns") << NFiscalColumns << "NFISCAL" << 41;
        QTest::newRow("EstLoteColumns") << EstLoteColumns << "ESTLOTE" << 19;
        QTest::newRow("MovestColumns") << MovestColumns << "MOVEST" << 21;
        QTest::newRow("ComponenColumns") << ComponenColumns << "COMPONEN" << 63;
        QTest::newRow("ComprasColumns") << ComprasColumns << "COMPRAS" << 27;
    }
    void columnListsMatchTheTables()
    {
        QFETCH(QString, list);
        QFETCH(QString, table);
        QFETCH(int, count);
        const QStringList columns = columnsOf(db->connection(), table);
        QCOMPARE(columns.size(), count);
        // Names in table order, each followed by a comma and a blank except the last.
        QCOMPARE(list.trimmed(), columns.join(QStringLiteral(", ")));
    }

    void columnTypes_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("type");
        QTest::newRow("NFISCAL.ESTACAO") << "NFISCAL"
                                         << "ESTACAO"
                                         << "text(2)!";
        QTest::newRow("NFISCAL.CODIGO") << "NFISCAL"
                                        << "CODIGO"
                                        << "integer!";
        QTest::newRow("NFISCAL.LOJA") << "NFISCAL"
                                      << "LOJA"
                                      << "text(14)";
        QTest::newRow("NFISCAL.DATA") << "NFISCAL"
                                      << "DATA"
                                      << "date!";
        QTest::newRow("NFISCAL.NOTAFISCAL") << "NFISCAL"
                                            << "NOTAFISCAL"
                                            << "text(10)!";
        QTest::newRow("NFISCAL.VALLIQUIDO") << "NFISCAL"
                                            << "VALLIQUIDO"
                                            << "decimal(15,2)";
        QTest::newRow("NFISCAL.CODIGOFORNECEDOR") << "NFISCAL"
                                                  << "CODIGOFORNECEDOR"
                                                  << "text(4)!";
        QTest::newRow("NFISCAL.OBSERVACAO") << "NFISCAL"
                                            << "OBSERVACAO"
                                            << "text(80)";
        QTest::newRow("COMPRAS.COMPONENTE") << "COMPRAS"
                                            << "COMPONENTE"
                                            << "text(70)!";
        QTest::newRow("COMPRAS.QUANTIDADE") << "COMPRAS"
                                            << "QUANTIDADE"
                                            << "decimal(15,5)";
        QTest::newRow("COMPRAS.UNIDADE holds 3") << "COMPRAS"
                                                 << "UNIDADE"
                                                 << "text(3)";
        QTest::newRow("COMPRAS.CODIGO not required") << "COMPRAS"
                                                     << "CODIGO"
                                                     << "text(13)";
        QTest::newRow("COMPRAS.SITUACAO") << "COMPRAS"
                                          << "SITUACAO"
                                          << "text(9)";
        QTest::newRow("COMPRAS.DENSIDADE") << "COMPRAS"
                                           << "DENSIDADE"
                                           << "decimal(15,2)";
        QTest::newRow("COMPRAS.LABORATORIO") << "COMPRAS"
                                             << "LABORATORIO"
                                             << "text(30)";
        QTest::newRow("ESTLOTE.FORNECEDOR holds 35") << "ESTLOTE"
                                                     << "FORNECEDOR"
                                                     << "text(35)!";
        QTest::newRow("ESTLOTE.SALDOCORRENTE") << "ESTLOTE"
                                               << "SALDOCORRENTE"
                                               << "decimal(18,8)";
        QTest::newRow("ESTLOTE.PRECOCUSTO") << "ESTLOTE"
                                            << "PRECOCUSTO"
                                            << "decimal(15,8)";
        QTest::newRow("MOVEST.CODMOVEST") << "MOVEST"
                                          << "CODMOVEST"
                                          << "integer!";
        QTest::newRow("MOVEST.DESCRICAO holds 60") << "MOVEST"
                                                   << "DESCRICAO"
                                                   << "text(60)";
        QTest::newRow("MOVEST.NNOTAFISCAL") << "MOVEST"
                                            << "NNOTAFISCAL"
                                            << "text(12)";
        QTest::newRow("FORNECED.CODIGO") << "FORNECED"
                                         << "CODIGO"
                                         << "text(4)!";
        QTest::newRow("FORNECED.PRAZO_PAGAMENTO") << "FORNECED"
                                                  << "PRAZO_PAGAMENTO"
                                                  << "integer";
        QTest::newRow("COMPONEN.CODIGO") << "COMPONEN"
                                         << "CODIGO"
                                         << "text(20)!";
        QTest::newRow("COMPONEN.UNID holds 4") << "COMPONEN"
                                               << "UNID"
                                               << "text(4)";
        QTest::newRow("COMPONEN.QDEESTOQUE") << "COMPONEN"
                                             << "QDEESTOQUE"
                                             << "double";
        QTest::newRow("COMPONEN.FICHATECNICA") << "COMPONEN"
                                               << "FICHATECNICA"
                                               << "blob";
        QTest::newRow("COMPONEN.VALIDADE") << "COMPONEN"
                                           << "VALIDADE"
                                           << "timestamp";
        QTest::newRow("COMPONEN.CONDARMAZENA") << "COMPONEN"
                                               << "CONDARMAZENA"
                                               << "text(240)";
        QTest::newRow("SINONIMO.APELIDO") << "SINONIMO"
                                          << "APELIDO"
                                          << "text(40)!";
        QTest::newRow("UNIDADES.UNIDADE") << "UNIDADES"
                                          << "UNIDADE"
                                          << "text(4)!";
        QTest::newRow("TABFORMP.MULTIPLICADOR") << "TABFORMP"
                                                << "MULTIPLICADOR"
                                                << "double";
        QTest::newRow("COTDOLAR.COTDOLAR") << "COTDOLAR"
                                           << "COTDOLAR"
                                           << "decimal(15,2)";
        QTest::newRow("USUARIOS.USUARIO holds 30") << "USUARIOS"
                                                   << "USUARIO"
                                                   << "text(30)!";
        QTest::newRow("USUARIOS.SENHA holds 12") << "USUARIOS"
                                                 << "SENHA"
                                                 << "text(12)";
        QTest::newRow("USUARIOS.ACESSO") << "USUARIOS"
                                         << "ACESSO"
                                         << "text(100)";
        QTest::newRow("ESTACOES.ESTACAO holds 3") << "ESTACOES"
                                                  << "ESTACAO"
                                                  << "text(3)!";
        QTest::newRow("ESTACOES.USUARIO holds 60") << "ESTACOES"
                                                   << "USUARIO"
                                                   << "text(60)";
        QTest::newRow("TABLAB.LABORATORIO") << "TABLAB"
                                            << "LABORATORIO"
                                            << "text(20)";
        QTest::newRow("FORMASPG.DIAS") << "FORMASPG"
                                       << "DIAS"
                                       << "text(250)";
        QTest::newRow("CTAPAGAR.VENCIMENTO") << "CTAPAGAR"
                                             << "VENCIMENTO"
                                             << "date";
        QTest::newRow("CTAPAGAR.OBSERVACOES") << "CTAPAGAR"
                                              << "OBSERVACOES"
                                              << "text(100)";
        QTest::newRow("PAGDIVER.NFISCAL holds 15") << "PAGDIVER"
                                                   << "NFISCAL"
                                                   << "text(15)";
        QTest::newRow("PAGDIVER.PERCENTUAL") << "PAGDIVER"
                                             << "PERCENTUAL"
                                             << "double";
    }
    void columnTypes()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, type);
        QCOMPARE(describe(table, column), type);
    }

    void workstationColumnTypes()
    {
        // PERIODO lives in the workstation database: read its catalogue there.
        db->connection().close();
        FbConnection workstation(db->workstationParams());
        const Values row = workstation.executeRow(
            QStringLiteral("select F.RDB$FIELD_TYPE, F.RDB$FIELD_PRECISION, F.RDB$FIELD_SCALE "
                           "from RDB$RELATION_FIELDS R join RDB$FIELDS F on F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE "
                           "where R.RDB$RELATION_NAME = 'PERIODO' and R.RDB$FIELD_NAME = 'VALORTOTAL'"));
        QCOMPARE(std::get<qint64>(row.at(1)), 15);
        QCOMPARE(std::get<qint64>(row.at(2)), -8);
    }

    void primaryKeys_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::newRow("NFISCAL") << "NFISCAL"
                                 << "CODIGO";
        QTest::newRow("COMPRAS") << "COMPRAS"
                                 << "CODCOMPRA";
        QTest::newRow("MOVEST") << "MOVEST"
                                << "CODMOVEST";
        QTest::newRow("FORNECED") << "FORNECED"
                                  << "CODIGO";
        QTest::newRow("COMPONEN") << "COMPONEN"
                                  << "CODIGO";
        QTest::newRow("ESTLOTE") << "ESTLOTE"
                                 << "DESCRICAO, LOTE, FORNECEDOR";
        QTest::newRow("USUARIOS") << "USUARIOS"
                                  << "USUARIO";
        QTest::newRow("ESTACOES") << "ESTACOES"
                                  << "ESTACAO";
        QTest::newRow("FORMASPG") << "FORMASPG"
                                  << "CODIGOFP";
        QTest::newRow("CTAPAGAR") << "CTAPAGAR"
                                  << "CODCTAPAGAR";
        QTest::newRow("PAGDIVER") << "PAGDIVER"
                                  << "CODPAGDIVER";
        QTest::newRow("SINONIMO") << "SINONIMO"
                                  << "APELIDO";
    }
    void primaryKeys()
    {
        QFETCH(QString, table);
        QFETCH(QString, key);
        const QStringList columns =
            texts(db->connection(),
                  QStringLiteral("select trim(S.RDB$FIELD_NAME) from RDB$RELATION_CONSTRAINTS C "
                                 "join RDB$INDEX_SEGMENTS S on S.RDB$INDEX_NAME = C.RDB$INDEX_NAME "
                                 "where C.RDB$RELATION_NAME = ? and C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
                                 "order by S.RDB$FIELD_POSITION"),
                  {table});
        QCOMPARE(columns.join(QStringLiteral(", ")), key);
    }

    // The statements of the data module and the lookups of the login and the closing must be
    // accepted as written.
    void moduleStatementsPrepare_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("NFiscal") << QStringLiteral("select ") + NFiscalColumns +
                                        QStringLiteral(" from NFISCAL  order by DATA, NOTAFISCAL, FORNECEDOR");
        QTest::newRow("Compras") << QStringLiteral("select ") + ComprasColumns +
                                        QStringLiteral(
                                            " from COMPRAS order by DATA, NOTAFISCAL, FORNECEDOR, RESPONSAVEL");
        QTest::newRow("Compras2") << QStringLiteral("select ") +
                                         QString(ComprasColumns)
                                             .prepend(QStringLiteral("A."))
                                             .replace(QStringLiteral(", "), QStringLiteral(", A.")) +
                                         QStringLiteral(
                                             ", B.CODIGO, B.GRUPO from COMPRAS A, COMPONEN B WHERE A.CODIGO = "
                                             "B.CODIGO AND (B.GRUPO = 'REV' OR B.GRUPO = 'PRP')");
        QTest::newRow("Movest lookup") << QStringLiteral("select ") + MovestColumns +
                                              QStringLiteral("from MOVEST where LOTE = 'L1' AND FORNECEDOR = 'F'");
        QTest::newRow("EstLote") << QStringLiteral("select ") + EstLoteColumns + QStringLiteral(" from ESTLOTE");
        QTest::newRow("Componentes") << QStringLiteral("select ") + ComponenColumns +
                                            QStringLiteral(" from COMPONEN where GRUPO = 'SUP' order by COMPONENTE");
        QTest::newRow("Fornecedor") << "select CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, "
                                       "TEL, FAX, E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO from FORNECED order by "
                                       "NOMEFANTASIA";
        QTest::newRow("SinonPesq") << "select APELIDO, CODIGO, GRUPO from SINONIMO";
        QTest::newRow("Unidades") << "select UNIDADE from UNIDADES order by UNIDADE";
        QTest::newRow("TabFormP") << "select UNID_COMPONENTE, DIV_UNID_COMPONENTE, UNID_COMPRAS, MULTIPLICADOR from "
                                     "TABFORMP";
        QTest::newRow("CotDolar") << "select COTDOLAR from COTDOLAR";
        QTest::newRow("Usuarios")
            << "select USUARIO, CODIGO, SENHA, ACESSO, ARQUIVO, LOGADO, ESTACAO, CONSIST_INICIAL, "
               "DEFVIDEOKOR from USUARIOS order by USUARIO";
        QTest::newRow("Estacoes login")
            << "Select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, "
               "CAMINHOOM, CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, "
               "ROTULO3, ROTULO4, ROTULO5, ROTULO6, USUARIO, CNPJ from ESTACOES where "
               "upper(USUARIO) = 'MARIA'";
        QTest::newRow("TabLab") << "select LABORATORIO, LOJA from TABLAB order by LABORATORIO";
        QTest::newRow("FormasPG") << "select CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, CTABANCO, "
                                     "FORMAPAG, QAUT from FORMASPG order by DESCRICAO";
        QTest::newRow("ContasP")
            << "select CODCTAPAGAR, CODPLANOCT, DESCRICAO, VALOR, VENCIMENTO, CODBARRA, DATAPAGTO, "
               "VALORPAGO, SITUACAO, COMPETENCIA, FUNCIONARIO, SITUACAOORIGINAL, OBSERVACOES from "
               "CTAPAGAR order by VENCIMENTO";
        QTest::newRow("PagDiver") << "select CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR, PERCENTUAL, "
                                     "VALORTOTAL from PAGDIVER order by ORDEM";
    }
    void moduleStatementsPrepare()
    {
        QFETCH(QString, sql);
        try {
            QVERIFY(db->connection().describe(sql).count() > 0);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.message()));
        }
    }

    void creatingOverAnExistingDatabaseIsRefusedAndKeepsIt()
    {
        db->connection().execute(QStringLiteral("insert into COTDOLAR (COTDOLAR) values (5.45)"));
        db->connection().close();
        QVERIFY_THROWS_EXCEPTION(DbError, schema::createSharedDatabase(db->sharedParams()));
        QVERIFY_THROWS_EXCEPTION(DbError, schema::createWorkstationDatabase(db->workstationParams()));
        FbConnection again(db->sharedParams());
        const Values row = again.executeRow(QStringLiteral("select count(*) from COTDOLAR"));
        QCOMPARE(std::get<qint64>(row.front()), 1);
    }

    // A database made before the index on upper(SITUACAO) gets it, once.
    void anOlderDatabaseGetsTheIndexesAddedSince()
    {
        QTemporaryDir dir;
        const FbConnection::Params params{dir.filePath(QStringLiteral("antigo.bd")), QStringLiteral("SYSDBA"), {}};
        schema::createSharedDatabase(params, false);
        FbConnection older(params);
        const QString sweepIndex =
            QStringLiteral("select count(*) from RDB$INDICES where RDB$INDEX_NAME = 'IX_COMPRAS_SITUACAO'");
        older.execute(QStringLiteral("drop index IX_COMPRAS_SITUACAO"));
        QCOMPARE(std::get<qint64>(older.executeRow(sweepIndex).front()), 0);
        schema::createMissingIndexes(older);
        schema::createMissingIndexes(older);
        QCOMPARE(std::get<qint64>(older.executeRow(sweepIndex).front()), 1);
    }

    void createdDatabasesWriteSynchronously()
    {
        QTemporaryDir dir;
        const FbConnection::Params params{dir.filePath(QStringLiteral("novo.bd")), QStringLiteral("SYSDBA"), {}};
        schema::createSharedDatabase(params);
        FbConnection created(params);
        const Values row = created.executeRow(QStringLiteral("select MON$FORCED_WRITES from MON$DATABASE"));
        QCOMPARE(std::get<qint64>(row.front()), 1);
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
