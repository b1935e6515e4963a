#include "reports/ui/PeriodPanel.h"

#include "widgets/DBEdit.h"
#include "widgets/EnterAsTab.h"
#include "widgets/FocusColours.h"
#include "widgets/KeyRoles.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

const QRect kGeometry(254, 144, 257, 129);

DBEdit* dateEdit(QWidget* parent, const QString& name, const QString& field, int top)
{
    auto* edit = new DBEdit(parent);
    edit->setObjectName(name);
    edit->setDataField(field);
    edit->setFieldFormat(FieldFormat::date());
    edit->setGeometry(110, top, 90, 22);
    EnterMovesToNextControl(edit);
    HighlightOnFocus(edit);
    return edit;
}

// A date field takes the focus with its whole date selected, so that a date typed replaces the
// one proposed (without it the masked field sets the cursor after the last digit and drops what
// is typed). Selected once the focus has settled, after any mouse press that placed the cursor.
class SelectAllOnFocus : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            if (auto* edit = qobject_cast<QLineEdit*>(watched))
                QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        return false;
    }
};

QLabel* caption(QWidget* parent, const QString& text, int top)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(24, top + 3, 84, 16);
    return label;
}

} // namespace

PeriodPanel::PeriodPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PainelPeriodo4"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(kGeometry);

    auto* title = new QLabel(QStringLiteral("Período"), this);
    title->setObjectName(QStringLiteral("PainelPeriodo4Titulo"));
    title->setAlignment(Qt::AlignCenter);
    title->setAutoFillBackground(true);
    title->setBackgroundRole(QPalette::Highlight);
    title->setForegroundRole(QPalette::HighlightedText);
    title->setGeometry(2, 2, kGeometry.width() - 4, 20);

    caption(this, QStringLiteral("Data Inicial:"), 32);
    DBEdit85 = dateEdit(this, QStringLiteral("DBEdit85"), QStringLiteral("DATAINICIAL"), 32);
    caption(this, QStringLiteral("Data Final:"), 60);
    DBEdit86 = dateEdit(this, QStringLiteral("DBEdit86"), QStringLiteral("DATAFINAL"), 60);
    auto* selectAll = new SelectAllOnFocus(this);
    DBEdit85->installEventFilter(selectAll);
    DBEdit86->installEventFilter(selectAll);

    BotRelVenc = new QPushButton(QStringLiteral("Relatório"), this);
    BotRelVenc->setObjectName(QStringLiteral("BotRelVenc"));
    BotRelVenc->setGeometry(40, 94, 84, 26);
    BotCancVenc = new QPushButton(QStringLiteral("Cancelar"), this);
    BotCancVenc->setObjectName(QStringLiteral("BotCancVenc"));
    BotCancVenc->setGeometry(132, 94, 84, 26);
    keyroles::setDefaultButton(this, BotRelVenc);
    keyroles::setCancelButton(this, BotCancVenc);
    setTabOrder(DBEdit85, DBEdit86);
    setTabOrder(DBEdit86, BotRelVenc);
    setTabOrder(BotRelVenc, BotCancVenc);

    connect(BotRelVenc, &QPushButton::clicked, this, &PeriodPanel::relatorioClicked);
    connect(BotCancVenc, &QPushButton::clicked, this, &PeriodPanel::cancelarClicked);
    hide();
}

void PeriodPanel::setDataSource(DataSource* periodo)
{
    DBEdit85->setDataSource(periodo);
    DBEdit86->setDataSource(periodo);
}

void PeriodPanel::open()
{
    setGeometry(kGeometry);
    show();
    raise();
    DBEdit85->setFocus(Qt::OtherFocusReason);
}
