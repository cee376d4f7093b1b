#include "grid/find_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace grid {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Поиск"));
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("Edit_find_text"));
    column_ = new QComboBox(this);
    column_->setObjectName(QStringLiteral("ComboBox_find_column"));
    caseSensitive_ = new QCheckBox(QStringLiteral("Учитывать регистр"), this);
    caseSensitive_->setObjectName(QStringLiteral("CheckBox_find_case"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Label_find_status"));
    auto* find = new QPushButton(QStringLiteral("Найти далее"), this);
    find->setObjectName(QStringLiteral("But_find_next"));
    find->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("But_find_close"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Текст:"), text_);
    form->addRow(QStringLiteral("Колонка:"), column_);
    form->addRow(QString(), caseSensitive_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(find);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setColumnTitles({});

    connect(find, &QPushButton::clicked, this, [this] { Q_EMIT findNext(options()); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(text_, &QLineEdit::textChanged, this, [this] { setNotFound(false); });
}

void FindDialog::setColumnTitles(const QStringList& titles) {
    const int chosen = column_->currentIndex();
    column_->clear();
    column_->addItem(QStringLiteral("Все колонки"), -1);
    for (int i = 0; i < titles.size(); ++i) column_->addItem(titles[i], i);
    column_->setCurrentIndex(chosen >= 0 && chosen < column_->count() ? chosen : 0);
}

FindOptions FindDialog::options() const {
    return {text_->text(), column_->currentData().toInt(), caseSensitive_->isChecked()};
}

void FindDialog::setNotFound(bool notFound) {
    status_->setText(notFound ? QStringLiteral("Текст не найден") : QString());
}

}  // namespace grid
