#include "reports/fill_report.h"

#include "dialogs/print_fonts.h"

namespace reports {

QString reportQuery(const QString& whereText) {
    return QStringLiteral(
               "select doc_caption, sum(shtuk_count) as shtuk_sum, sum(paper_count) as "
               "paper_sum,\n\rsum(place_count) as place_sum, sum(one_count) as ones_sum, "
               "sum(order_count) as order_sum \n\rfrom doc_list \n\r") +
           whereText + QStringLiteral(" group by doc_caption order by doc_caption");
}

TFormLogReport::TFormLogReport(core::Connection& connection, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("TFormLogReport"));
    setWindowTitle(QStringLiteral("Отчет о заполнении журнала"));
    report_ =
        std::make_unique<core::ClientDataSet>(QStringLiteral("ClientDataSetReport"), connection);
    model_ = std::make_unique<core::DataSetModel>(*report_);
    hide();
}

TFormLogReport::~TFormLogReport() = default;

void TFormLogReport::openReport(const QString& whereText) {
    report_->close();
    report_->setCommandText(reportQuery(whereText));
    report_->open();
}

GridPrinter TFormLogReport::printout(const QString& description) const {
    GridPrinter gp;
    gp.setModel(model_.get());
    const QFont table = dialogs::designFont(QStringLiteral("Times New Roman"), 14, true);
    gp.setCellFont(table);
    gp.setTitleFont(table);
    gp.setFooterFont(table);

    auto column = [](int source, const char* title, int width, Qt::Alignment align) {
        grid::GridColumn c(source, QString::fromUtf8(title), width, align);
        c.footer = grid::FooterKind::Sum;
        return c;
    };
    grid::GridColumn caption(0, QStringLiteral("  "), 300, Qt::AlignLeft);
    caption.footer = grid::FooterKind::Text;
    caption.footerText = QStringLiteral("Разом:");
    gp.setColumns(
        {caption, column(1, "штук", 100, Qt::AlignRight),
         column(2, "друк аркушів", 100, Qt::AlignRight), column(3, "позицій", 100, Qt::AlignRight),
         column(4, "од. зб.", 100, Qt::AlignRight), column(5, "статей", 100, Qt::AlignRight)});

    const QFont small = dialogs::designFont(QStringLiteral("MS Sans Serif"), 8);
    const QFont title = dialogs::designFont(QStringLiteral("Times New Roman"), 16);
    gp.setTextBefore({
        {QStringLiteral("\t"), title, Qt::AlignLeft},
        {QStringLiteral("Звіт по журналу обліку документів ЕПК"), title, Qt::AlignHCenter},
        {QString(), small, Qt::AlignHCenter},
    });
    gp.setPageTextFont(small);
    gp.setPageFooter({QStringLiteral("Условия выбора данных: "), description, QString()});
    gp.setOrientation(QPageLayout::Portrait);
    gp.setMarginsMm(20);
    gp.setFitToWidth(true);
    return gp;
}

}  // namespace reports
