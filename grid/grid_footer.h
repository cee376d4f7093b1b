#pragma once
// A footer row under one DataGrid half: one cell per column, aligned with
// the half's sections as they are resized, moved and scrolled.

#include <QHash>
#include <QWidget>

namespace grid {

class GridView;

class GridFooter : public QWidget {
    Q_OBJECT
  public:
    GridFooter(GridView* view, QWidget* parent = nullptr);

    void setCell(int logical, const QString& text, Qt::Alignment alignment);
    void clearCells();
    QString cell(int logical) const { return texts_.value(logical); }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    GridView* view_;
    QHash<int, QString> texts_;
    QHash<int, Qt::Alignment> alignments_;
};

}  // namespace grid
