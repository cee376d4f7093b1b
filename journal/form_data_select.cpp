#include "journal/form_data_select.h"

#include "dialogs/dialog_parts.h"

#include "journal/data_selection.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace journal {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }

const QString kAllData = QStringLiteral("Все данные");

// A table whose open cell editor can be committed from outside: "Продолжить"
// may be pressed (or Enter hit) while a value is still being typed, and Qt
// commits such an edit only later, through a queued call.
class SelectionGrid : public QTableWidget {
  public:
    using QTableWidget::QTableWidget;

    void commitOpenEditor() {
        if (state() != EditingState) return;
        QWidget* editor = indexWidget(currentIndex());
        if (!editor) return;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

  protected:
    // Delete and Backspace on a value cell that is not being edited empty
    // it, as in a grid of inputs; the labels cannot be edited, so they stay.
    void keyPressEvent(QKeyEvent* event) override {
        QTableWidgetItem* item = currentItem();
        if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) &&
            state() != EditingState && item && (item->flags() & Qt::ItemIsEditable)) {
            item->setText(QString());
            event->accept();
            return;
        }
        QTableWidget::keyPressEvent(event);
    }
};

QString cellText(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}
}  // namespace

TFormDataSelect::TFormDataSelect(core::Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      StringGridParams(new SelectionGrid(kSelectionParameterCount, 3, this)),
      ButOk(new QPushButton(u("Продолжить"), this)),
      ButCancel(new QPushButton(u("Отменить"), this)),
      prompter_(prompter),
      description_(kAllData) {
    setObjectName("TFormDataSelect");
    StringGridParams->setObjectName("StringGridParams");
    ButOk->setObjectName("ButOk");
    ButCancel->setObjectName("ButCancel");
    setWindowTitle(u("Выбор данных"));

    QTableWidget& grid = *StringGridParams;
    grid.verticalHeader()->hide();
    grid.horizontalHeader()->setSectionsClickable(false);
    grid.horizontalHeader()->setHighlightSections(false);
    grid.setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing into a cell starts editing it, as in any spreadsheet.
    grid.setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
    grid.setTabKeyNavigation(true);

    connect(ButOk, &QPushButton::clicked, this, &TFormDataSelect::ButOkClick);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);

    QHBoxLayout* buttons = dialogs::okCancelBar(ButOk, ButCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&grid);
    layout->addLayout(buttons);

    // Room for every row and the three columns without scrolling.
    grid.setColumnWidth(ColLabel, 150);
    grid.setColumnWidth(ColMin, 220);
    grid.setColumnWidth(ColMax, 220);
    const int width = 150 + 220 + 220 + 2 * grid.frameWidth() + 4;
    const int height = grid.horizontalHeader()->sizeHint().height() +
                       kSelectionParameterCount * grid.verticalHeader()->defaultSectionSize() +
                       2 * grid.frameWidth() + 4;
    grid.setMinimumSize(width, height);
}

bool TFormDataSelect::run() { return exec() == QDialog::Accepted; }

std::optional<core::ChosenSelection> TFormDataSelect::choose() {
    if (!run()) return std::nullopt;
    return core::ChosenSelection{where_, description_};
}

void TFormDataSelect::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormDataSelect::FormShow() {
    where_.clear();
    description_ = kAllData;

    QTableWidget& grid = *StringGridParams;
    grid.setColumnWidth(ColLabel, 150);
    grid.setColumnWidth(ColMin, 220);
    grid.setColumnWidth(ColMax, 220);
    grid.setHorizontalHeaderLabels({u("Параметр"), u("Минимум"), u("Максимум")});

    // Labelled once; afterwards the rows keep what the user typed last.
    const auto& params = selectionParameters();
    for (int row = 0; row < kSelectionParameterCount; ++row) {
        if (!cellText(grid, row, ColLabel).isEmpty()) continue;
        auto* label = new QTableWidgetItem(u(params[std::size_t(row)].label));
        label->setFlags(Qt::ItemIsEnabled);  // a fixed column: not edited, not selected
        label->setBackground(grid.palette().button());
        label->setForeground(grid.palette().buttonText());
        grid.setItem(row, ColLabel, label);
        grid.setItem(row, ColMin, new QTableWidgetItem);
        grid.setItem(row, ColMax, new QTableWidgetItem);
    }
    if (!grid.currentIndex().isValid() || grid.currentColumn() == ColLabel)
        grid.setCurrentCell(0, ColMin);
    grid.setFocus(Qt::OtherFocusReason);
}

void TFormDataSelect::done(int result) {
    commitOpenEditor();
    QDialog::done(result);
}

void TFormDataSelect::commitOpenEditor() {
    static_cast<SelectionGrid*>(StringGridParams)->commitOpenEditor();
}

void TFormDataSelect::ButOkClick() {
    commitOpenEditor();
    std::array<SelectionBounds, kSelectionParameterCount> bounds;
    for (int row = 0; row < kSelectionParameterCount; ++row)
        bounds[std::size_t(row)] = {cellText(*StringGridParams, row, ColMin),
                                    cellText(*StringGridParams, row, ColMax)};
    const Selection selection = composeSelection(bounds, QLocale::system());
    if (!selection.ok) {
        core::ErrorBox(prompter_, selection.error);
        // The caller keeps its own selection; the wrong text stays in the
        // grid to be corrected next time.
        where_.clear();
        description_.clear();
        reject();
        return;
    }
    where_ = selection.where;
    description_ = selection.info;
    accept();
}

}  // namespace journal
