#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class DataSource;
class QAction;
class QToolButton;

// The record navigator: first, prior, next, last, insert, delete (after a question), edit, post
// and cancel, enabled as the dataset's state allows. Its buttons take no focus, so that the field
// being typed keeps it; what was typed reaches the field when the dataset posts. Each button has a
// key that works from any control of the window while the navigator is shown, named in its tooltip.
class DBNavigator : public QWidget {
    Q_OBJECT

public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, ButtonCount };

    explicit DBNavigator(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }
    QToolButton* button(Button b) const { return buttons_[b]; }

    // Asked before a button's action runs: false (or an error, reported) leaves the dataset as it is.
    std::function<bool(Button)> beforeAction;
    // The question that confirms a deletion, naming the row; the general one when not set.
    std::function<QString()> deleteQuestion;

signals:
    // After the button's action ran (also when it failed).
    void clicked(DBNavigator::Button button);

private:
    void run(Button b);
    void updateButtons();

    std::array<QToolButton*, ButtonCount> buttons_{};
    std::array<QAction*, ButtonCount> actions_{};
    QPointer<DataSource> source_;
};
