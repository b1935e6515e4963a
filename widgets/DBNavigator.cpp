#include "widgets/DBNavigator.h"

#include "data/CachedDataset.h"
#include "widgets/DatasetActions.h"
#include "widgets/UnhandledError.h"

#include <QAction>
#include <QHBoxLayout>
#include <QToolButton>

namespace {

struct Look {
    const char* name;
    const char* glyph;
    const char* hint;
    QKeyCombination key;
};

// Alt with the moving keys moves through the rows, whatever control of the window has the focus;
// none of these keys means anything to an entry field or a grid.
const Look kLooks[DBNavigator::ButtonCount] = {
    {"nbFirst", "|◀", "Primeiro registro", Qt::ALT | Qt::Key_Home},
    {"nbPrior", "◀", "Registro anterior", Qt::ALT | Qt::Key_PageUp},
    {"nbNext", "▶", "Próximo registro", Qt::ALT | Qt::Key_PageDown},
    {"nbLast", "▶|", "Último registro", Qt::ALT | Qt::Key_End},
    {"nbInsert", "+", "Inserir registro", Qt::ALT | Qt::Key_Insert},
    {"nbDelete", "−", "Excluir registro", Qt::ALT | Qt::Key_Delete},
    {"nbEdit", "▲", "Editar registro", QKeyCombination(Qt::Key_F2)},
    {"nbPost", "✔", "Gravar alterações", Qt::CTRL | Qt::Key_S},
    {"nbCancel", "✖", "Cancelar alterações", Qt::ALT | Qt::Key_C},
};

} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        const Look& look = kLooks[i];
        auto* action = new QAction(QString::fromUtf8(look.glyph), this);
        action->setObjectName(QString::fromLatin1(look.name) + QStringLiteral("Action"));
        action->setShortcut(QKeySequence(look.key));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setToolTip(QString::fromUtf8(look.hint) + QStringLiteral(" (") +
                           action->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
        connect(action, &QAction::triggered, this, [this, i] { run(Button(i)); });
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(look.name));
        b->setDefaultAction(action);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
        buttons_[std::size_t(i)] = b;
        actions_[std::size_t(i)] = action;
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
    bool proceed = true;
    if (beforeAction && !RunGuarded([&] { proceed = beforeAction(b); }))
        proceed = false;
    if (!proceed) {
        updateButtons();
        return;
    }
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
            ConfirmAndDelete(*ds, deleteQuestion ? deleteQuestion() : kConfirmDeleteText);
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
    actions_[First]->setEnabled(open && row > 0);
    actions_[Prior]->setEnabled(open && row > 0);
    actions_[Next]->setEnabled(!atLast);
    actions_[Last]->setEnabled(!atLast);
    actions_[Insert]->setEnabled(open);
    actions_[Delete]->setEnabled(open && !ds->isEmpty());
    actions_[Edit]->setEnabled(open && !editing);
    actions_[Post]->setEnabled(editing);
    actions_[Cancel]->setEnabled(editing);
}
