#include "payments/IncludeInPayables.h"

#include "data/CachedDataset.h"
#include "data/FieldValue.h"
#include "data/Formats.h"
#include "data/SqlText.h"
#include "data/UnitOfWork.h"
#include "payments/PayableDescription.h"
#include "purchase/KeyDraws.h"
#include "purchase/PostsKeptInCache.h"
#include "shell/Dialogs.h"

#include <algorithm>

namespace {

constexpr int kWarnings = 3;

const QString kSuccess = QString(27, QLatin1Char(' ')) +
                         QStringLiteral("* * * SUCESSO * * *\r-> Nota Fiscal incluída corretamente no Contas a Pagar.");
const QString kWarning =
    QStringLiteral("ATENÇÃO: Não foi possível registrar os valores desta Nota Fiscal no módulo de Contas a Pagar.\r"
                   "Favor informar ao responsável pelo setor financeiro.\rAviso %1 de 3");
const QString kNothingIncluded = QStringLiteral(" Nada foi incluído no Contas a Pagar.");

QDate toDate(const Value& v)
{
    if (const auto* d = std::get_if<QDate>(&v))
        return *d;
    if (const auto* t = std::get_if<QDateTime>(&v))
        return t->date();
    return {};
}

QString invoiceRows(const QString& invoiceNumber, const QString& supplierName)
{
    return QStringLiteral(" where NFISCAL = ") + sql::quoted(invoiceNumber) + QStringLiteral(" and FORNECEDOR = ") +
           sql::quoted(supplierName);
}

QString payablesOf(const QString& description)
{
    return QStringLiteral(" from CTAPAGAR where DESCRICAO = ") + sql::quoted(description);
}

QString money(const Decimal& value)
{
    return formats::money(value);
}

bool customScheduleFits(const std::vector<schedule::Instalment>& instalments, const Decimal& netValue)
{
    if (instalments.empty()) {
        ShowMessage(QStringLiteral("Nenhuma parcela foi informada em \"Datas e valores diversos\".") +
                    kNothingIncluded);
        return false;
    }
    for (const schedule::Instalment& i : instalments)
        if (!i.due.isValid()) {
            ShowMessage(QStringLiteral("Há parcela sem data de vencimento em \"Datas e valores diversos\". "
                                       "Corrija as parcelas antes de incluir no Contas a Pagar.") +
                        kNothingIncluded);
            return false;
        }
    const Decimal total = schedule::Total(instalments);
    if (!(total == netValue.rescaled(2))) {
        ShowMessage(QStringLiteral("As parcelas de \"Datas e valores diversos\" somam %1, mas o valor líquido da Nota "
                                   "Fiscal é %2. Corrija as parcelas antes de incluir no Contas a Pagar.")
                        .arg(money(total), money(netValue)) +
                    kNothingIncluded);
        return false;
    }
    return true;
}

bool countFits(int count)
{
    if (count <= schedule::kMaxInstalments)
        return true;
    ShowMessage(QStringLiteral("A forma de pagamento resulta em %1 parcelas, mas o limite é de %2 parcelas.")
                    .arg(count)
                    .arg(schedule::kMaxInstalments) +
                kNothingIncluded);
    return false;
}

// A payable already in CTAPAGAR, as the duplicate check sees it.
struct StoredPayable {
    qint64 code = 0;
    Decimal amount;
    QDate due;
    QString remark;   // OBSERVACOES
    bool open = true; // still "Atualizado (pagar)": the module may remove it
    bool matched = false;
};

// One inclusion: the invoice's payables read once, the open ones that no instalment needs removed,
// the missing ones written together, and the sum verified, all inside one unit of work.
class PayablesWriter {
public:
    PayablesWriter(const PaymentsData& dm, const PayableInvoice& invoice, std::vector<schedule::Instalment> instalments)
        : dm_(dm), connection_(dm.SQLConnection1), description_(PayableDescription(invoice.number, invoice.supplier)),
          instalments_(std::move(instalments)), total_(schedule::Total(instalments_))
    {
    }

    Inclusion run()
    {
        UnitOfWork work(connection_);
        // Closed with the query it had, also after a rollback, which leaves the cache stale.
        struct CloseAtEnd {
            CachedDataset& ds;
            QString query;
            ~CloseAtEnd()
            {
                ds.close();
                ds.setCommandText(query);
            }
        } closeAtEnd{dm_.ContasP, dm_.ContasP.commandText()};
        openPayables();
        std::vector<StoredPayable> stored = storedPayables();
        const std::vector<int> missing = matchInstalments(stored);
        removeUnneededPayables(stored);
        if (writePayables(missing) && storedTotal() == total_) {
            work.commit();
            ShowMessage(kSuccess);
            return Inclusion::Included;
        }
        return reportFailure();
    }

private:
    void openPayables()
    {
        CachedDataset& payables = dm_.ContasP;
        payables.close();
        payables.setCommandText(
            QStringLiteral("select CODCTAPAGAR, CODPLANOCT, DESCRICAO, VALOR, VENCIMENTO, CODBARRA, "
                           "DATAPAGTO, VALORPAGO, SITUACAO, COMPETENCIA, FUNCIONARIO, "
                           "SITUACAOORIGINAL, OBSERVACOES") +
            payablesOf(description_) + QStringLiteral(" order by VENCIMENTO"));
        payables.open();
    }

    // The invoice's payables as the dataset read them, those the finance module holds first: an
    // instalment is matched with one of them before an open payable of the same amount and date.
    std::vector<StoredPayable> storedPayables()
    {
        CachedDataset& payables = dm_.ContasP;
        const int rows = payables.recordCount();
        const int code = payables.fieldIndex(QStringLiteral("CODCTAPAGAR"));
        const int amount = payables.fieldIndex(QStringLiteral("VALOR"));
        const int due = payables.fieldIndex(QStringLiteral("VENCIMENTO"));
        const int status = payables.fieldIndex(QStringLiteral("SITUACAO"));
        const int remark = payables.fieldIndex(QStringLiteral("OBSERVACOES"));
        std::vector<StoredPayable> out;
        for (int row = 0; row < rows; ++row)
            out.push_back({field::toInteger(payables.valueAt(row, code)),
                           field::toDecimal(payables.valueAt(row, amount)).rescaled(2),
                           toDate(payables.valueAt(row, due)), field::toText(payables.valueAt(row, remark)),
                           field::toText(payables.valueAt(row, status)) == kOpenPayableStatus});
        std::stable_partition(out.begin(), out.end(), [](const StoredPayable& p) { return !p.open; });
        return out;
    }

    // "Parc. 2/12"; nothing for a single instalment.
    QString remarkOf(int index) const
    {
        const int count = int(instalments_.size());
        return count > 1 ? QStringLiteral("Parc. %1/%2").arg(index + 1).arg(count) : QString();
    }

    // Each instalment takes a stored payable of the same amount and due date, one payable standing
    // for one instalment only: one the finance module holds, whatever its remark, or an open one
    // written as this schedule would write it. The indexes of the instalments left without one.
    std::vector<int> matchInstalments(std::vector<StoredPayable>& stored) const
    {
        std::vector<int> missing;
        for (int i = 0; i < int(instalments_.size()); ++i) {
            const schedule::Instalment& instalment = instalments_[std::size_t(i)];
            const QString remark = remarkOf(i);
            const auto found = std::find_if(stored.begin(), stored.end(), [&](const StoredPayable& p) {
                return !p.matched && p.amount == instalment.amount && p.due == instalment.due &&
                       (!p.open || p.remark == remark);
            });
            if (found != stored.end())
                found->matched = true;
            else
                missing.push_back(i);
        }
        return missing;
    }

    // The open payables no instalment took belong to a former schedule. Those the finance module
    // holds stay, and then the sum below does not add up.
    void removeUnneededPayables(const std::vector<StoredPayable>& stored)
    {
        std::vector<Values> codes;
        for (const StoredPayable& p : stored)
            if (p.open && !p.matched)
                codes.push_back({p.code});
        if (!codes.empty())
            connection_.executeMany(QStringLiteral("delete from CTAPAGAR where CODCTAPAGAR = ?"), codes);
    }

    // The missing instalments, keyed from one draw and sent in one applyUpdates (which draws again
    // a key another workstation took meanwhile). False when the database refused one of them.
    bool writePayables(const std::vector<int>& missing)
    {
        if (missing.empty())
            return true;
        CachedDataset& payables = dm_.ContasP;
        const PostsKeptInCache keptInCache(payables);
        SqlCommand draw = dm_.command();
        qint64 code = keys::NextPayableCode(draw);
        for (int i : missing) {
            const schedule::Instalment& instalment = instalments_[std::size_t(i)];
            payables.append();
            payables.setInteger(QStringLiteral("CODCTAPAGAR"), code++);
            payables.setText(QStringLiteral("COMPETENCIA"), instalment.due.toString(QStringLiteral("MM/yyyy")));
            payables.setInteger(QStringLiteral("CODPLANOCT"), 0);
            payables.setText(QStringLiteral("DESCRICAO"), description_);
            payables.setValue(QStringLiteral("VALOR"), instalment.amount);
            payables.setDate(QStringLiteral("VENCIMENTO"), instalment.due);
            payables.setText(QStringLiteral("OBSERVACOES"), remarkOf(i));
            payables.setText(QStringLiteral("SITUACAO"), kOpenPayableStatus);
            payables.post();
        }
        return payables.applyUpdates() == 0;
    }

    Decimal storedTotal()
    {
        const Values row =
            connection_.executeRow(QStringLiteral("Select Sum(VALOR) as TotalAPagar") + payablesOf(description_));
        return field::toDecimal(row.empty() ? Value{} : row.front()).rescaled(2);
    }

    // The unit of work is rolled back on return: the invoice keeps the payables it had.
    Inclusion reportFailure()
    {
        const Values taken =
            connection_.executeRow(QStringLiteral("select count(*), sum(VALOR)") + payablesOf(description_) +
                                   QStringLiteral(" and coalesce(SITUACAO, '') <> ") + sql::quoted(kOpenPayableStatus));
        const qint64 count = taken.empty() ? 0 : std::get<qint64>(taken.front());
        if (count > 0) {
            const QString total = money(field::toDecimal(taken.at(1)).rescaled(2));
            ShowMessage(
                count == 1 ? QStringLiteral("ATENÇÃO: 1 parcela desta Nota Fiscal, no valor de %1, já foi tratada pelo "
                                            "setor financeiro (não está mais \"Atualizado (pagar)\") e não confere "
                                            "com a forma de pagamento escolhida. Ela não pode ser substituída.\r"
                                            "Nada foi alterado no Contas a Pagar.")
                                 .arg(total)
                           : QStringLiteral("ATENÇÃO: %1 parcelas desta Nota Fiscal, no total de %2, já foram tratadas "
                                            "pelo setor financeiro (não estão mais \"Atualizado (pagar)\") e não "
                                            "conferem com a forma de pagamento escolhida. Elas não podem ser "
                                            "substituídas.\rNada foi alterado no Contas a Pagar.")
                                 .arg(count)
                                 .arg(total));
            return Inclusion::Refused;
        }
        for (int warning = 1; warning <= kWarnings; ++warning)
            ShowMessage(kWarning.arg(warning));
        return Inclusion::Failed;
    }

    PaymentsData dm_;
    FbConnection& connection_;
    QString description_;
    std::vector<schedule::Instalment> instalments_;
    Decimal total_;
};

} // namespace

PayableInvoice PayableInvoice::from(const CachedDataset& invoices)
{
    PayableInvoice invoice;
    invoice.number = invoices.asText(QStringLiteral("NOTAFISCAL"));
    invoice.supplier = invoices.asText(QStringLiteral("FORNECEDOR"));
    invoice.date = invoices.asDate(QStringLiteral("DATA"));
    invoice.netValue = field::toDecimal(invoices.value(QStringLiteral("VALLIQUIDO"))).rescaled(2);
    invoice.paymentForm = invoices.asText(QStringLiteral("FORMAPAGTO"));
    return invoice;
}

schedule::PaymentForm ReadPaymentForm(FbConnection& connection, const QString& description)
{
    const Values row = connection.executeRow(
        QStringLiteral("select CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, CTABANCO, FORMAPAG, QAUT "
                       "from FORMASPG where DESCRICAO = ") +
        sql::quoted(description));
    schedule::PaymentForm form;
    if (row.empty())
        return form;
    const auto text = [&](int column) {
        const auto* t = std::get_if<QString>(&row.at(std::size_t(column)));
        return t ? *t : QString();
    };
    form.type = text(1);
    form.days = text(3);
    const auto* count = std::get_if<qint64>(&row.at(4));
    form.instalments = count ? int(std::clamp<qint64>(*count, -1, 1000000)) : 0;
    form.surcharge = field::toDecimal(row.at(5)).rescaled(2);
    return form;
}

std::vector<schedule::Instalment> ReadCustomInstalments(FbConnection& connection, const QString& invoiceNumber,
                                                        const QString& supplierName)
{
    std::vector<schedule::Instalment> out;
    auto cursor = connection.openCursor(QStringLiteral("select DATA, VALOR from PAGDIVER") +
                                        invoiceRows(invoiceNumber, supplierName) + QStringLiteral(" order by ORDEM"));
    while (cursor->fetch())
        out.push_back({toDate(cursor->value(0)), field::toDecimal(cursor->value(1)).rescaled(2)});
    return out;
}

std::optional<std::vector<schedule::Instalment>> InvoiceSchedule(FbConnection& connection,
                                                                 const PayableInvoice& invoice)
{
    if (invoice.paymentForm == kCustomInstalmentsForm) {
        auto instalments = ReadCustomInstalments(connection, invoice.number, invoice.supplier);
        if (!countFits(int(instalments.size())) || !customScheduleFits(instalments, invoice.netValue))
            return std::nullopt;
        return instalments;
    }
    const schedule::PaymentForm form = ReadPaymentForm(connection, invoice.paymentForm);
    if (!countFits(form.count()))
        return std::nullopt;
    return schedule::FormSchedule(form, invoice.date, invoice.netValue);
}

Inclusion IncludeInPayables(PaymentsData dm)
{
    const PayableInvoice invoice = PayableInvoice::from(dm.NFiscal);
    auto instalments = InvoiceSchedule(dm.SQLConnection1, invoice);
    if (!instalments)
        return Inclusion::Refused;
    return PayablesWriter(dm, invoice, std::move(*instalments)).run();
}
