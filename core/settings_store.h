#pragma once
// The settings values of the run and the file they are kept in. The values
// live here from the main window's construction to the end of the run;
// whoever holds a live value that belongs in the file (the grid's column
// widths) hands it over when aboutToSave() is announced.

#include "core/settings.h"

#include <QObject>
#include <QString>
#include <vector>

namespace core {

class SettingsStore : public QObject {
    Q_OBJECT
  public:
    explicit SettingsStore(const QString& path, QObject* parent = nullptr);

    const QString& path() const { return path_; }
    Settings& values() { return values_; }
    const Settings& values() const { return values_; }

    // The journal grid's widths in its present column order.
    const std::vector<int>& columnWidths() const { return widths_; }
    void setColumnWidths(const std::vector<int>& widths) { widths_ = widths; }

    // Reads the file over the present values (and widths, by position).
    void load();
    // Writes every value; failures are logged, never shown.
    void save();

  Q_SIGNALS:
    void aboutToSave();

  private:
    QString path_;
    Settings values_;
    std::vector<int> widths_ = designColumnWidths();
};

}  // namespace core
