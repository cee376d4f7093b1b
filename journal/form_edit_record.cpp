#include "journal/form_edit_record.h"

#include "core/codepage.h"
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

}  // namespace

TFormEditRecord::TFormEditRecord(core::Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("TFormEditRecord"));
    setWindowTitle(QStringLiteral("Редактирование записи"));
    setModal(true);

    for (const EditorField& f : kEditorFields) {
        QWidget* w = nullptr;
        const QString name = QString::fromLatin1(core::schema::journalColumn(f.field).name);
        switch (f.kind) {
            case ControlKind::List:
            case ControlKind::Expert: {
                auto* box = new QComboBox(this);
                box->setEditable(true);
                box->setInsertPolicy(QComboBox::NoInsert);
                box->setMaxVisibleItems(20);
                // No limit here: a list item longer than the field (a
                // document name of 200 characters) must stay recognisable as
                // the item; the row cuts it when it is written.
                box->setObjectName(QStringLiteral("DBComboBox_") + name);
                box->lineEdit()->installEventFilter(this);
                if (f.control == EditorControl::Notes) {
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
            case ControlKind::Date: {
                auto* e = new QLineEdit(this);
                e->setInputMask(QStringLiteral("99.99.9999;_"));
                e->setObjectName(QStringLiteral("DBDateEdit_") + name);
                e->setFixedWidth(130);
                w = e;
                break;
            }
            case ControlKind::Text: {
                auto* e = new QLineEdit(this);
                e->setMaxLength(core::schema::journalColumn(f.field).width);
                e->setObjectName(QStringLiteral("DBEdit_") + name);
                w = e;
                break;
            }
            case ControlKind::Number: {
                auto* e = new QLineEdit(this);
                e->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("-?[0-9]{0,10}")), e));
                e->setObjectName(QStringLiteral("DBNumberEdit_") + name);
                e->setFixedWidth(120);
                const qint64 low = f.low, high = f.high;
                // A number typed out of range shows its bound as soon as the
                // field is left; a stored one the user did not touch stays.
                connect(e, &QLineEdit::editingFinished, e, [e, low, high] {
                    if (!e->isModified()) return;
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
    auto at = [&](EditorControl c, int row, int col, int span = 1) {
        auto* l = label(editorField(c).label);
        l->setBuddy(control(c));
        grid->addWidget(l, row, col, Qt::AlignRight);
        grid->addWidget(control(c), row, col + 1, 1, span);
    };
    using C = EditorControl;
    at(C::Source, 0, 0, 7);
    at(C::PrDate, 1, 0);
    at(C::PrNum, 1, 2, 2);
    at(C::Org, 2, 0, 7);
    at(C::Place, 3, 0, 7);
    at(C::Caption, 4, 0, 7);
    at(C::DocNum, 5, 0, 3);
    at(C::DocDate, 5, 4);
    at(C::StartYear, 6, 0);
    at(C::StopYear, 6, 2);
    grid->addWidget(label("Кількість:"), 7, 0, Qt::AlignRight);
    at(C::Shtuk, 8, 0);
    at(C::Paper, 8, 2);
    at(C::Places, 8, 4);
    at(C::Ones, 9, 0);
    at(C::Orders, 9, 2);
    at(C::Expert, 10, 0, 7);
    at(C::Notes, 11, 0, 7);
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

QComboBox* TFormEditRecord::list(EditorControl c) const {
    return qobject_cast<QComboBox*>(control(c));
}

QLineEdit* TFormEditRecord::edit(EditorControl c) const {
    return qobject_cast<QLineEdit*>(control(c));
}

void TFormEditRecord::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    control(EditorControl::Source)->setFocus();
}

void TFormEditRecord::FormShow(const EditorLists& lists, const core::ClientDataSet& journal) {
    control(EditorControl::Source)->setFocus();
    changes_.clear();
    listTexts_ = {};
    fillLists(lists);
    loadRow(journal);
    // Carry-over: only into fields the row leaves empty. What is carried
    // over counts as typed: it differs from the row, so it is written.
    QLineEdit* number = edit(EditorControl::PrNum);
    QLineEdit* date = edit(EditorControl::PrDate);
    if (!memory_.lastNumber.isEmpty() && number->text().isEmpty())
        number->setText(memory_.lastNumber);
    if (memory_.lastDate.isValid() && parseDateInput(date->text()).empty)
        date->setText(memory_.lastDate.toString(kDateFormat));
}

void TFormEditRecord::fillLists(const EditorLists& lists) {
    for (const EditorField& f : kEditorFields)
        if (f.kind == ControlKind::Expert || f.kind == ControlKind::List)
            setItems(list(f.control), lists.of(f.control));
}

namespace {
// How a stored value reads in its control. A date Qt cannot hold (a zero or
// partial date) keeps the server's digits, so that it is seen and, left
// alone, kept.
QString controlText(const EditorField& f, const core::FieldValue& v) {
    if (v.isNull()) return {};
    switch (f.kind) {
        case ControlKind::Date: {
            if (const QDate d = v.asDate(); d.isValid()) return d.toString(kDateFormat);
            const QString raw = v.asText();  // yyyy-mm-dd
            if (raw.size() >= 10 && raw.at(4) == QLatin1Char('-') && raw.at(7) == QLatin1Char('-'))
                return raw.mid(8, 2) + QLatin1Char('.') + raw.mid(5, 2) + QLatin1Char('.') +
                       raw.left(4);
            return raw;
        }
        default:
            return v.asText();
    }
}
}  // namespace

QString TFormEditRecord::textOf(EditorControl c) const {
    if (QComboBox* box = list(c)) return box->currentText();
    return edit(c)->text();
}

void TFormEditRecord::setTextOf(EditorControl c, const QString& text) {
    if (QComboBox* box = list(c)) {
        box->setCurrentIndex(-1);
        box->setEditText(text);
    } else {
        edit(c)->setText(text);
    }
}

void TFormEditRecord::loadRow(const core::ClientDataSet& journal) {
    loaded_.assign(kEditorFields.size(), QString());
    for (const EditorField& f : kEditorFields) {
        setTextOf(f.control, controlText(f, journal.value(f.field)));
        // As the control shows it (an input mask or a length limit may
        // have changed it): the comparison at "Сохранить" is with this.
        loaded_[std::size_t(f.control)] = textOf(f.control);
    }
    rowDate_ = journal.value(core::schema::doc::pr_date).asDate();
    rowNumber_ = journal.value(core::schema::doc::pr_num).asText();
}

QVariant TFormEditRecord::valueOf(const EditorField& f) const {
    switch (f.kind) {
        case ControlKind::Date: {
            const DateInput in = parseDateInput(edit(f.control)->text());
            return in.empty ? QVariant() : QVariant(in.date);
        }
        case ControlKind::Number: {
            const auto n = boundedNumber(edit(f.control)->text(), f.low, f.high);
            return n ? QVariant(*n) : QVariant();
        }
        default: {
            const QString text = textOf(f.control);
            // An emptied text is stored as NULL, like an emptied number or date.
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
    }
}

bool TFormEditRecord::refuse(EditorControl c, const QString& text) {
    core::ErrorBox(prompter_, text);
    control(c)->setFocus();
    return false;
}

bool TFormEditRecord::ButOkClick() {
    changes_.clear();
    std::vector<FieldChange> changes;
    for (const EditorField& f : kEditorFields) {
        const EditorControl c = f.control;
        if (textOf(c) == loaded_[std::size_t(c)]) continue;  // untouched: the row keeps its value
        if (f.kind == ControlKind::Date) {
            const DateInput in = parseDateInput(edit(c)->text());
            if (!in.empty && !in.date.isValid())
                return refuse(c, QStringLiteral("\"") + edit(c)->text() +
                                     QStringLiteral("\" - неверная дата.\nВведите дату в "
                                                    "виде ДД.ММ.ГГГГ или оставьте поле "
                                                    "пустым."));
        } else if (f.kind != ControlKind::Number) {
            if (const auto bad = core::firstUncarried(textOf(c))) {
                QString label = QString::fromUtf8(f.label).trimmed();
                if (label.endsWith(QLatin1Char(':'))) label.chop(1);
                return refuse(c, label + QStringLiteral(":\n") + core::uncarriedMessage(*bad));
            }
        }
        changes.push_back({f.field, valueOf(f)});
    }
    changes_ = std::move(changes);

    // The protocol as the row will hold it.
    QDate date = rowDate_;
    QString number = rowNumber_;
    for (const FieldChange& ch : changes_) {
        if (ch.field == core::schema::doc::pr_date) date = ch.value.toDate();
        if (ch.field == core::schema::doc::pr_num) number = ch.value.toString();
    }
    memory_.remember(date, number);

    for (const EditorField& f : kEditorFields) {
        if (f.kind != ControlKind::List) continue;
        const QComboBox* box = list(f.control);
        ListText& t = listTexts_[std::size_t(f.control)];
        t.text = box->currentText();
        t.chosen = box->currentIndex() >= 0 && box->itemText(box->currentIndex()) == t.text;
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
