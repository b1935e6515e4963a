#include "widgets/DBNavigator.h"

#include "data/CachedDataset.h"
#include "widgets/DatasetActions.h"
#include "widgets/UnhandledError.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace {

struct Look {
    const char* name;
    const char* glyph;
    const char* hint;
};

constexpr Look kLooks[DBNavigator::ButtonCount] = {
    {"nbFirst", "|◀", "Primeiro registro"},   {"nbPrior", "◀", "Registro anterior"},
    {"nbNext", "▶", "Próximo registro"},      {"nbLast", "▶|", "Último registro"},
    {"nbInsert", "+", "Inserir registro"},    {"nbDelete", "−", "Excluir registro"},
    {"nbEdit", "▲", "Editar registro"},       {"nbPost", "✔", "Gravar alterações"},
    {"nbCancel", "✖", "Cancelar alterações"},
};

} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(kLooks[i].name));
        b->setText(QString::fromUtf8(kLooks[i].glyph));
        b->setToolTip(QString::fromUtf8(kLooks[i].hint));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(b, &QToolButton::clicked, this, [this, i] { run(Button(i)); });
        layout->addWidget(b);
        buttons_[std::size_t(i)] = b;
    }
    updateButtons();
}

void DBNavigator::setDataSource(DataSource* source)
{
    if (source_ && source_->dataset())
        disconnect(source_->dataset(), nullptr, this, nullptr);
    source_ = source;
    if (CachedDataset* ds = source_ ? source_->dataset() : nullptr) {
        for (auto change : {&CachedDataset::opened, &CachedDataset::closed, &CachedDataset::rowsReset})
            connect(ds, change, this, &DBNavigator::updateButtons);
        connect(ds, &CachedDataset::currentRowChanged, this, &DBNavigator::updateButtons);
        connect(ds, &CachedDataset::stateChanged, this, &DBNavigator::updateButtons);
        connect(ds, &CachedDataset::rowAppended, this, &DBNavigator::updateButtons);
        connect(ds, &CachedDataset::rowRemoved, this, &DBNavigator::updateButtons);
        connect(ds, &CachedDataset::rowsFetched, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::run(Button b)
{
    CachedDataset* ds = source_ ? source_->dataset() : nullptr;
    if (!ds)
        return;
    RunGuarded([&] {
        switch (b) {
        case First:
            ds->first();
            break;
        case Prior:
            ds->prior();
            break;
        case Next:
            ds->next();
            break;
        case Last:
            ds->last();
            break;
        case Insert:
            ds->append();
            break;
        case Delete:
            ConfirmAndDelete(*ds);
            break;
        case Edit:
            ds->edit();
            break;
        case Post:
            ds->post();
            break;
        case Cancel:
            ds->cancel();
            break;
        case ButtonCount:
            break;
        }
    });
    updateButtons();
    RunGuarded([&] { emit clicked(b); });
}

// As the navigator of every data-aware screen: moves where there is somewhere to go, insert and
// delete while browsing or editing, edit only while browsing, post and cancel only while editing.
void DBNavigator::updateButtons()
{
    const CachedDataset* ds = source_ ? source_->dataset() : nullptr;
    const bool open = ds && ds->isOpen();
    const bool editing = open && IsEditing(*ds);
    const int row = open ? ds->currentRow() : -1;
    const bool atLast = !open || (ds->allFetched() && row >= ds->fetchedRowCount() - 1);
    buttons_[First]->setEnabled(open && row > 0);
    buttons_[Prior]->setEnabled(open && row > 0);
    buttons_[Next]->setEnabled(!atLast);
    buttons_[Last]->setEnabled(!atLast);
    buttons_[Insert]->setEnabled(open);
    buttons_[Delete]->setEnabled(open && !ds->isEmpty());
    buttons_[Edit]->setEnabled(open && !editing);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
}
