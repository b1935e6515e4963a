#include "tests/support/SampleTable.h"

SampleTable::SampleTable(int rows)
{
    FbConnection& c = db_.connection();
    c.execute(QStringLiteral("create table ITENS (K integer not null primary key, NOME varchar(20), DATA date, "
                             "VALOR decimal(15,2), SITUACAO varchar(10))"));
    std::vector<Values> values;
    for (int k = 1; k <= rows; ++k)
        values.push_back({qint64(k), QStringLiteral("item %1").arg(k), QDate(2026, 3, 4).addDays(k - 1),
                          Decimal{k * 100050, 2}, QStringLiteral("Estoque")});
    if (!values.empty())
        c.executeMany(QStringLiteral("insert into ITENS (K, NOME, DATA, VALOR, SITUACAO) values (?, ?, ?, ?, ?)"),
                      values);
    dataset_ = std::make_unique<CachedDataset>(QStringLiteral("Itens"), c, QStringLiteral("ITENS"),
                                               CachedDataset::WriteMode::KeyColumns, QStringList{QStringLiteral("K")});
    dataset_->setCommandText(QStringLiteral("select K, NOME, DATA, VALOR, SITUACAO from ITENS order by K"));
}

DataSource* SampleTable::source(bool autoEdit)
{
    sources_.push_back(std::make_unique<DataSource>(QStringLiteral("DS"), dataset_.get(), autoEdit));
    return sources_.back().get();
}

qint64 SampleTable::countInDatabase()
{
    return std::get<qint64>(db_.connection().executeRow(QStringLiteral("select count(*) from ITENS")).front());
}
