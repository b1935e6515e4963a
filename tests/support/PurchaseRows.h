#pragma once

#include "data/Decimal.h"
#include "data/FbConnection.h"

#include <QStringList>

#include <optional>

// Invoice (NFISCAL) and item (COMPRAS) rows as the tests put them into a database. A test sets the
// fields that matter to it (`testrows::Item item; item.code = 2; testrows::insertItem(sql, item);`);
// an optional field left unset is not written (NULL), the others keep the values below.
namespace testrows {

struct Invoice {
    qint64 code = 1; // CODIGO
    QString date = QStringLiteral("2026-03-04");
    std::optional<QString> receiptDate = std::nullopt; // DATARECEBIM
    QString number = QStringLiteral("123");
    std::optional<QString> supplier = QStringLiteral("Acme");
    QString supplierCode = QStringLiteral("0001");
    QString expenseGroup = QStringLiteral("SUP");  // GRUPDESP
    std::optional<double> netValue = std::nullopt; // VALLIQUIDO
};

struct Item {
    qint64 code = 1; // CODCOMPRA
    QString date = QStringLiteral("2026-03-04");
    QString number = QStringLiteral("123");
    std::optional<QString> supplier = QStringLiteral("Acme");
    QString supplierCode = QStringLiteral("0001");
    QString product = QStringLiteral("ALCOOL");        // COMPONENTE
    std::optional<QString> productCode = std::nullopt; // CODIGO
    std::optional<double> quantity = std::nullopt;
    std::optional<QString> unit = std::nullopt;
    std::optional<double> price = std::nullopt;        // PRECOUNITR
    std::optional<QString> location = std::nullopt;    // LABORATORIO
    std::optional<QString> status = std::nullopt;      // SITUACAO
    std::optional<QString> responsible = std::nullopt; // RESPONSAVEL
};

namespace detail {

// The columns and values of one INSERT, collected field by field.
class RowInsert {
public:
    void add(const char* column, Value value)
    {
        columns_ << QLatin1String(column);
        values_.push_back(std::move(value));
    }
    void addIfSet(const char* column, const std::optional<QString>& value)
    {
        if (value)
            add(column, Value(*value));
    }
    void addIfSet(const char* column, const std::optional<double>& value, int scale)
    {
        if (value)
            add(column, Value(Decimal::fromDouble(*value, scale)));
    }
    void run(FbConnection& sql, const char* table) const
    {
        const QString marks = QStringList(columns_.size(), QStringLiteral("?")).join(QStringLiteral(", "));
        sql.execute(QStringLiteral("insert into %1 (%2) values (%3)")
                        .arg(QLatin1String(table), columns_.join(QStringLiteral(", ")), marks),
                    values_);
    }

private:
    QStringList columns_;
    Values values_;
};

} // namespace detail

inline void insertInvoice(FbConnection& sql, const Invoice& row)
{
    detail::RowInsert insert;
    insert.add("ESTACAO", QStringLiteral("01"));
    insert.add("CODIGO", row.code);
    insert.add("DATA", row.date);
    insert.addIfSet("DATARECEBIM", row.receiptDate);
    insert.add("NOTAFISCAL", row.number);
    insert.addIfSet("FORNECEDOR", row.supplier);
    insert.add("CODIGOFORNECEDOR", row.supplierCode);
    insert.add("GRUPDESP", row.expenseGroup);
    insert.addIfSet("VALLIQUIDO", row.netValue, 2);
    insert.run(sql, "NFISCAL");
}

inline void insertItem(FbConnection& sql, const Item& row)
{
    detail::RowInsert insert;
    insert.add("ESTACAO", QStringLiteral("01"));
    insert.add("CODCOMPRA", row.code);
    insert.add("DATA", row.date);
    insert.add("NOTAFISCAL", row.number);
    insert.addIfSet("FORNECEDOR", row.supplier);
    insert.add("CODIGOFORNECEDOR", row.supplierCode);
    insert.add("COMPONENTE", row.product);
    insert.addIfSet("CODIGO", row.productCode);
    insert.addIfSet("QUANTIDADE", row.quantity, 3);
    insert.addIfSet("UNIDADE", row.unit);
    insert.addIfSet("PRECOUNITR", row.price, 2);
    insert.addIfSet("LABORATORIO", row.location);
    insert.addIfSet("SITUACAO", row.status);
    insert.addIfSet("RESPONSAVEL", row.responsible);
    insert.run(sql, "COMPRAS");
}

} // namespace testrows
