#include "journal/form_edit_record.h"

#include "core/schema.h"
#include "dialogs/general_error.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace journal {

namespace {
const QString kDateFormat = QStringLiteral("dd.MM.yyyy");

int widthOf(int field) {
    const auto& columns = core::schema::columnsOf(core::schema::kJournalTable);
    return field >= 0 && field < int(columns.size()) ? columns[std::size_t(field)].width : 0;
}

void sortItems(QStringList& items) {
    std::sort(items.begin(), items.end(),
              [](const QString& a, const QString& b) { return a.localeAwareCompare(b) < 0; });
}

void setItems(QComboBox* box, QStringList items) {
    sortItems(items);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
}

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}
}  // namespace

TFormEditRecord::TFormEditRecord(core::DataSets& dataSets, core::Connection& connection,
                                 core::SettingsStore& settings, core::Prompter& prompter,
                                 QWidget* parent)
    : QDialog(parent),
      dataSets_(dataSets),
      connection_(connection),
      settings_(settings),
      prompter_(prompter) {
    setObjectName(QStringLiteral("TFormEditRecord"));
    setWindowTitle(QStringLiteral("Редактирование записи"));
    setModal(true);

    for (const EditorField& f : kEditorFields) {
        QWidget* w = nullptr;
        const QString name = QString::fromLatin1(
            core::schema::columnsOf(core::schema::kJournalTable)[std::size_t(f.field)].name);
        switch (f.control) {
            case EditorControl::List:
            case EditorControl::Expert: {
                auto* box = new QComboBox(this);
                box->setEditable(true);
                box->setInsertPolicy(QComboBox::NoInsert);
                box->setMaxVisibleItems(20);
                // No limit here: a list item longer than the field (a
                // document name of 200 characters) must stay recognisable as
                // the item; the row cuts it when it is written.
                box->setObjectName(QStringLiteral("DBComboBox_") + name);
                box->lineEdit()->installEventFilter(this);
                if (f.field == core::schema::doc::adv_info) {
                    // The notes list opens as soon as the user types.
                    auto* completer = new QCompleter(box->model(), box);
                    completer->setCompletionMode(QCompleter::PopupCompletion);
                    completer->setCaseSensitivity(Qt::CaseInsensitive);
                    completer->setFilterMode(Qt::MatchContains);
                    box->setCompleter(completer);
                }
                w = box;
                break;
            }
            case EditorControl::Date: {
                auto* e = new QLineEdit(this);
                e->setInputMask(QStringLiteral("99.99.9999;_"));
                e->setObjectName(QStringLiteral("DBDateEdit_") + name);
                e->setFixedWidth(130);
                w = e;
                break;
            }
            case EditorControl::Text: {
                auto* e = new QLineEdit(this);
                e->setMaxLength(widthOf(f.field));
                e->setObjectName(QStringLiteral("DBEdit_") + name);
                w = e;
                break;
            }
            case EditorControl::Number: {
                auto* e = new QLineEdit(this);
                e->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("-?[0-9]{0,10}")), e));
                e->setObjectName(QStringLiteral("DBNumberEdit_") + name);
                e->setFixedWidth(120);
                const qint64 low = f.low, high = f.high;
                // A number out of range shows its bound as soon as the field is left.
                connect(e, &QLineEdit::editingFinished, e, [e, low, high] {
                    const auto n = boundedNumber(e->text(), low, high);
                    const QString shown = n ? QString::number(*n) : QString();
                    if (shown != e->text()) e->setText(shown);
                });
                w = e;
                break;
            }
        }
        w->installEventFilter(this);
        controls_.push_back(w);
    }

    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    auto* grid = new QGridLayout;
    auto at = [&](int i, int row, int col, int span = 1) {
        auto* l = label(kEditorFields[std::size_t(i)].label);
        l->setBuddy(control(i));
        grid->addWidget(l, row, col, Qt::AlignRight);
        grid->addWidget(control(i), row, col + 1, 1, span);
    };
    at(0, 0, 0, 7);
    at(1, 1, 0);
    at(2, 1, 2, 2);
    at(3, 2, 0, 7);
    at(4, 3, 0, 7);
    at(5, 4, 0, 7);
    at(6, 5, 0, 3);
    at(7, 5, 4);
    at(8, 6, 0);
    at(9, 6, 2);
    grid->addWidget(label("Кількість:"), 7, 0, Qt::AlignRight);
    at(10, 8, 0);
    at(11, 8, 2);
    at(12, 8, 4);
    at(13, 9, 0);
    at(14, 9, 2);
    at(15, 10, 0, 7);
    at(16, 11, 0, 7);
    grid->setColumnStretch(7, 1);

    ButOk = new QPushButton(QStringLiteral("Сохранить"), this);
    ButOk->setObjectName(QStringLiteral("ButOk"));
    ButCancel = new QPushButton(QStringLiteral("Отменить"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    // Enter moves between the fields; it never closes the editor by itself.
    for (QPushButton* b : {ButOk, ButCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(ButOk, &QPushButton::clicked, this, [this] {
        bool ok = false;
        if (dialogs::guarded(prompter_, [&] { ok = ButOkClick(); }) && ok) accept();
    });
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    ButOk->installEventFilter(this);
    ButCancel->installEventFilter(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButOk);
    buttons->addWidget(ButCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    QWidget* previous = nullptr;
    for (QWidget* w : controls_) {
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(previous, ButOk);
    setTabOrder(ButOk, ButCancel);
    resize(900, sizeHint().height());
}

QComboBox* TFormEditRecord::list(int i) const { return qobject_cast<QComboBox*>(control(i)); }

QLineEdit* TFormEditRecord::edit(int i) const { return qobject_cast<QLineEdit*>(control(i)); }

void TFormEditRecord::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    dialogs::guarded(prompter_, [this] { FormShow(); });
}

void TFormEditRecord::FormShow() {
    control(0)->setFocus();
    fillLists();
    loadRow();
    // Carry-over: only into fields the row leaves empty.
    if (!memory_.lastNumber.isEmpty() && edit(2)->text().isEmpty())
        edit(2)->setText(memory_.lastNumber);
    if (memory_.lastDate.isValid() && parseDateInput(edit(1)->text()).empty)
        edit(1)->setText(memory_.lastDate.toString(kDateFormat));
}

void TFormEditRecord::fillLists() {
    for (std::size_t i = 0; i < kEditorFields.size(); ++i) {
        const EditorField& f = kEditorFields[i];
        if (f.control == EditorControl::Expert) {
            const core::ClientDataSet& experts =
                dataSets_.referenceList(QStringLiteral("sprav_expert_list"));
            setItems(list(int(i)), expertShortNames(experts));
            continue;
        }
        if (f.control != EditorControl::List) continue;
        // Read from the server, not from the local lists: the editor offers
        // what the server holds now.
        QStringList items;
        auto result = connection_.query(QByteArray("select * from ") +
                                        kEditorListTables[std::size_t(f.list)]);
        while (result->next()) items << result->field(0).asText();
        setItems(list(int(i)), items);
    }
}

void TFormEditRecord::loadRow() {
    const core::ClientDataSet& journal = dataSets_.journal();
    for (std::size_t i = 0; i < kEditorFields.size(); ++i) {
        const EditorField& f = kEditorFields[i];
        const core::FieldValue v = journal.value(f.field);
        QString text;
        if (!v.isNull()) {
            if (f.control == EditorControl::Date)
                text = v.asDate().toString(kDateFormat);
            else if (f.control == EditorControl::Number)
                text = QString::number(v.asInt64());
            else
                text = v.asText();
        }
        if (QComboBox* box = list(int(i))) {
            box->setCurrentIndex(-1);
            box->setEditText(text);
        } else {
            edit(int(i))->setText(text);
        }
    }
}

QVariant TFormEditRecord::valueOf(int i) const {
    const EditorField& f = kEditorFields[std::size_t(i)];
    switch (f.control) {
        case EditorControl::Date: {
            const DateInput in = parseDateInput(edit(i)->text());
            return in.empty ? QVariant() : QVariant(in.date);
        }
        case EditorControl::Number: {
            const auto n = boundedNumber(edit(i)->text(), f.low, f.high);
            return n ? QVariant(*n) : QVariant();
        }
        default: {
            const QString text = list(i) ? list(i)->currentText() : edit(i)->text();
            // An empty text is stored as NULL, like an empty number or date.
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
    }
}

bool TFormEditRecord::ButOkClick() {
    for (std::size_t i = 0; i < kEditorFields.size(); ++i) {
        if (kEditorFields[i].control != EditorControl::Date) continue;
        const DateInput in = parseDateInput(edit(int(i))->text());
        if (!in.empty && !in.date.isValid()) {
            core::ErrorBox(prompter_, QStringLiteral("\"") + edit(int(i))->text() +
                                          QStringLiteral("\" - неверная дата.\nВведите дату в "
                                                         "виде ДД.ММ.ГГГГ или оставьте поле "
                                                         "пустым."));
            control(int(i))->setFocus();
            return false;
        }
    }
    core::ClientDataSet& journal = dataSets_.journal();
    for (std::size_t i = 0; i < kEditorFields.size(); ++i)
        journal.setValue(kEditorFields[i].field, valueOf(int(i)));

    memory_.remember(journal.value(core::schema::doc::pr_date).asDate(),
                     journal.value(core::schema::doc::pr_num).asText());
    if (!settings_.values().auto_update_sprav) return true;
    for (std::size_t i = 0; i < kEditorFields.size(); ++i) {
        const EditorField& f = kEditorFields[i];
        if (f.control != EditorControl::List) continue;
        QComboBox* box = list(int(i));
        core::ClientDataSet& refList =
            dataSets_.referenceList(QString::fromLatin1(kEditorListTables[std::size_t(f.list)]));
        if (autoFillReference(refList, box->currentText(), itemsOf(box)))
            box->addItem(box->currentText());
    }
    return true;
}

bool TFormEditRecord::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // On a button Enter presses it, as a focused button should.
            if (auto* button = qobject_cast<QPushButton*>(watched)) {
                button->click();
                return true;
            }
            OnEditKeyDown(qobject_cast<QWidget*>(watched));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormEditRecord::OnEditKeyDown(QWidget* control) {
    Q_UNUSED(control);
    focusNextChild();
}

}  // namespace journal
