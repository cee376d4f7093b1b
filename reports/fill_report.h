#pragma once
// The fill report's data: per document name, the sums of the five count
// fields over the records a selection picks, and how its table is printed.

#include "core/client_dataset.h"
#include "core/dataset_model.h"
#include "reports/grid_printer.h"

#include <QString>
#include <QWidget>
#include <memory>

namespace reports {

// The report query for a WHERE text ("" or " where ...").
QString reportQuery(const QString& whereText);

// The report table window: never shown, only printed. It holds the
// report's rows from one run of the report query to the next.
class TFormLogReport : public QWidget {
    Q_OBJECT
  public:
    TFormLogReport(core::Connection& connection, QWidget* parent = nullptr);
    ~TFormLogReport() override;

    // Runs the report query; throws DbError and leaves no rows when the
    // server refuses.
    void openReport(const QString& whereText);
    core::ClientDataSet& dataset() { return *report_; }
    core::DataSetModel& model() { return *model_; }

    // The printout of the rows now held, with the description in the centre
    // of every page footer.
    GridPrinter printout(const QString& description) const;

  private:
    std::unique_ptr<core::ClientDataSet> report_;
    std::unique_ptr<core::DataSetModel> model_;
};

}  // namespace reports
