#include "reports/form_report_select.h"

#include "reports/sheet_source.h"
#include "reports/spreadsheet_export.h"

#include "dialogs/general_error.h"
#include "reports/fill_report.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace reports {

TFormReportSelect::TFormReportSelect(TFormLogReport& report, core::SelectionDialog& dataSelect,
                                     core::Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      But_data_select(new QPushButton(QStringLiteral("Выбрать данные для отчета"), this)),
      Label_info(new QLabel(this)),
      ButOk(new QPushButton(QStringLiteral("Продолжить"), this)),
      ButCancel(new QPushButton(QStringLiteral("Отменить"), this)),
      ButXlsx(new QPushButton(QStringLiteral("Экспорт в Excel..."), this)),
      ButCsv(new QPushButton(QStringLiteral("Экспорт в CSV..."), this)),
      report_(report),
      dataSelect_(dataSelect),
      prompter_(prompter) {
    setObjectName(QStringLiteral("TFormReportSelect"));
    setWindowTitle(QStringLiteral("Сформировать отчет"));
    setModal(true);
    But_data_select->setObjectName(QStringLiteral("But_data_select"));
    Label_info->setObjectName(QStringLiteral("Label_info"));
    ButOk->setObjectName(QStringLiteral("ButOk"));
    ButCancel->setObjectName(QStringLiteral("ButCancel"));

    Label_info->setAlignment(Qt::AlignCenter);
    Label_info->setWordWrap(true);
    Label_info->setFrameShape(QFrame::StyledPanel);
    Label_info->setMinimumHeight(80);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(But_data_select);
    layout->addWidget(new QLabel(QStringLiteral("Условия выбора:"), this));
    layout->addWidget(Label_info, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButXlsx);
    buttons->addWidget(ButCsv);
    buttons->addStretch();
    buttons->addWidget(ButOk);
    buttons->addWidget(ButCancel);
    layout->addLayout(buttons);
    resize(540, 240);  // room for the four buttons in a row

    ButOk->setDefault(true);
    connect(But_data_select, &QPushButton::clicked, this, &TFormReportSelect::But_data_selectClick);
    connect(ButOk, &QPushButton::clicked, this, &TFormReportSelect::ButOkClick);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButXlsx, &QPushButton::clicked, this, [this] { ButExportClick(true); });
    connect(ButCsv, &QPushButton::clicked, this, [this] { ButExportClick(false); });
}

void TFormReportSelect::But_data_selectClick() {
    const std::optional<core::ChosenSelection> chosen = dataSelect_.choose();
    if (!chosen) return;
    where_ = chosen->where;
    Label_info->setText(chosen->description);
}

void TFormReportSelect::ButExportClick(bool xlsx) {
    dialogs::guarded(prompter_, [&] {
        report_.openReport(where_);
        const GridPrinter printout = report_.printout(Label_info->text());
        const PrinterSheet sheet(printout, kReportSheetTitle,
                                 QStringLiteral("Условия выбора данных: ") + Label_info->text());
        exportSheet(sheet, xlsx ? SheetFormat::Xlsx : SheetFormat::Csv, prompter_, this);
    });
}

void TFormReportSelect::ButOkClick() {
    // A server error ends the report without a preview; the window closes
    // all the same.
    dialogs::guarded(prompter_, [&] {
        report_.openReport(where_);
        const GridPrinter printout = report_.printout(Label_info->text());
        Q_EMIT printoutReady(printout);
    });
    accept();
}

}  // namespace reports
