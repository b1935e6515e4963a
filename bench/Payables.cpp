#include "Payables.h"

#include "Measure.h"

#include "db/ColumnLists.h"
#include "payments/CustomInstalments.h"
#include "payments/IncludeInPayables.h"
#include "payments/PayableDescription.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"

#include <QRandomGenerator>

namespace {

const QString kTwelve = QStringLiteral("Mensal, dia fixo, 12 parcelas");
const QString kCash = QStringLiteral("À vista");
constexpr int kSamples = 40;

struct Invoice {
    qint64 code;
    QString number;
    QString supplier;
    QDate date;
    Decimal net;
};

std::vector<Invoice> sample(FbConnection& c, const QString& condition)
{
    std::vector<Invoice> all;
    auto cursor = c.openCursor(QStringLiteral("select CODIGO, NOTAFISCAL, FORNECEDOR, DATA, VALLIQUIDO from NFISCAL "
                                              "where VALBRUTO is not null and ") +
                               condition);
    while (cursor->fetch())
        all.push_back({std::get<qint64>(cursor->value(0)), cursor->text(1), cursor->text(2),
                       std::get<QDate>(cursor->value(3)), std::get<Decimal>(cursor->value(4))});
    std::vector<Invoice> out;
    QRandomGenerator random(12);
    for (int i = 0; i < kSamples && !all.empty(); ++i)
        out.push_back(all[std::size_t(random.bounded(int(all.size())))]);
    return out;
}

// The data module standing on one invoice, as the window does once the clerk has moved to it.
void standOn(TDM& dm, const Invoice& invoice)
{
    dm.NFiscal.close();
    dm.NFiscal.setCommandText(QStringLiteral("select ") + NFiscalColumns +
                              QStringLiteral(" from NFISCAL where CODIGO = %1").arg(invoice.code));
    dm.NFiscal.open();
}

void setForm(FbConnection& c, const Invoice& invoice, const QString& form)
{
    c.execute(QStringLiteral("update NFISCAL set FORMAPAGTO = ? where CODIGO = ?"), {form, invoice.code});
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double worst(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// Baseline: the same twelve payables replaced by native statements in one transaction (delete
// the invoice's payables, twelve inserts with keys drawn once, the sum read back).
void nativeReplace(FbConnection& c, const Invoice& invoice, const std::vector<schedule::Instalment>& instalments)
{
    const QString description = PayableDescription(invoice.number, invoice.supplier);
    c.beginWork();
    c.execute(QStringLiteral("delete from CTAPAGAR where DESCRICAO = ?"), {description});
    qint64 key = std::get<qint64>(c.executeRow(QStringLiteral("select max(CODCTAPAGAR) from CTAPAGAR")).front());
    int i = 0;
    for (const schedule::Instalment& instalment : instalments)
        c.execute(QStringLiteral("insert into CTAPAGAR (CODCTAPAGAR, CODPLANOCT, DESCRICAO, VALOR, VENCIMENTO, "
                                 "SITUACAO, COMPETENCIA, OBSERVACOES) values (?, 0, ?, ?, ?, ?, ?, ?)"),
                  {++key, description, instalment.amount, instalment.due, kOpenPayableStatus,
                   instalment.due.toString(QStringLiteral("MM/yyyy")),
                   QStringLiteral("Parc. %1/%2").arg(++i).arg(instalments.size())});
    c.executeRow(QStringLiteral("select sum(VALOR) from CTAPAGAR where DESCRICAO = ?"), {description});
    c.commitWork();
}

void measureInclusion(FbConnection& c, TDM& dm)
{
    bench::note(
        QStringLiteral(
            "\n-- \"Incluir no Contas a Pagar\", %1 invoices moved to a 12-instalment form (payables not yet paid)")
            .arg(kSamples));
    const std::vector<Invoice> invoices =
        sample(c, QStringLiteral("FORMAPAGTO <> '") + kCustomInstalmentsForm +
                      QStringLiteral("' and not exists (select 1 from CTAPAGAR P where P.DESCRICAO = 'N.Fiscal ' || "
                                     "NOTAFISCAL || ' ' || FORNECEDOR and P.SITUACAO <> '") +
                      kOpenPayableStatus + QStringLiteral("')"));
    const schedule::PaymentForm twelve = ReadPaymentForm(c, kTwelve);
    std::vector<double> replacing;
    std::vector<double> again;
    std::vector<double> native;
    int included = 0;
    for (const Invoice& invoice : invoices) {
        // From a one-instalment form to twelve: the old payable goes, twelve new ones come.
        setForm(c, invoice, kCash);
        standOn(dm, invoice);
        IncludeInPayables(dm);
        setForm(c, invoice, kTwelve);
        standOn(dm, invoice);
        replacing.push_back(bench::millis([&] { included += IncludeInPayables(dm) == Inclusion::Included; }));
        again.push_back(bench::millis([&] { IncludeInPayables(dm); }));
        const auto instalments = schedule::FormSchedule(twelve, invoice.date, invoice.net);
        native.push_back(bench::millis([&] { nativeReplace(c, invoice, instalments); }));
    }
    bench::report("include, 1 payable replaced by 12, median", median(replacing), median(native), "ms", "<= 300 ms");
    bench::note(QStringLiteral("   slowest %1 ms (native %2 ms); %3 of %4 included")
                    .arg(worst(replacing), 0, 'f', 1)
                    .arg(worst(native), 0, 'f', 1)
                    .arg(included)
                    .arg(invoices.size()));
    bench::report("include again, nothing new, median", median(again), median(native), "ms", "<= 300 ms");
    bench::note(QStringLiteral("   slowest %1 ms").arg(worst(again), 0, 'f', 1));
}

void measurePanelOpening(FbConnection& c, TDM& dm)
{
    bench::note(
        QStringLiteral("\n-- Opening the instalment panel on %1 invoices with typed instalments").arg(kSamples));
    const std::vector<Invoice> invoices =
        sample(c, QStringLiteral("FORMAPAGTO = ") + QStringLiteral("'") + kCustomInstalmentsForm + QStringLiteral("'"));
    std::vector<double> cached;
    std::vector<double> native;
    int rows = 0;
    for (const Invoice& invoice : invoices) {
        standOn(dm, invoice);
        cached.push_back(bench::millis([&] {
            instalments::OpenInvoiceInstalments(dm);
            instalments::InstalmentBalance(dm);
            rows += dm.PagDiver.recordCount();
        }));
        dm.PagDiver.close();
        native.push_back(bench::millis([&] {
            auto cursor = c.openCursor(QStringLiteral("select CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR, "
                                                      "PERCENTUAL, VALORTOTAL from PAGDIVER where NFISCAL = ? and "
                                                      "FORNECEDOR = ? order by ORDEM"),
                                       {invoice.number, invoice.supplier});
            while (cursor->fetch()) {
            }
            c.executeRow(QStringLiteral("select max(ORDEM), sum(VALOR) from PAGDIVER where NFISCAL = ? and "
                                        "FORNECEDOR = ?"),
                         {invoice.number, invoice.supplier});
        }));
    }
    bench::report("open the instalment panel (data), median", median(cached), median(native), "ms", "<= 300 ms");
    bench::note(QStringLiteral("   slowest %1 ms (native %2 ms); %3 instalments read")
                    .arg(worst(cached), 0, 'f', 1)
                    .arg(worst(native), 0, 'f', 1)
                    .arg(rows));
}

} // namespace

void measurePayables(FbConnection& c)
{
    Dialogs::install(std::make_unique<RecordingDialogs>()); // the success messages are not shown
    SessionState session;
    TDM dm(c.params(), {productfolder::workstationDatabase(), c.params().user, c.params().password}, session);
    measureInclusion(c, dm);
    measurePanelOpening(c, dm);
    Dialogs::install(nullptr);
}
