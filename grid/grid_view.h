#pragma once
// One half of a DataGrid: a table view with a GridHeader over its columns
// and a RowIndicator beside its rows. The frozen and the scrolling halves
// share one model and one selection model.

#include "grid/grid_header.h"

#include <QHash>
#include <QTableView>
#include <functional>

namespace grid {

class GridView : public QTableView {
    Q_OBJECT
  public:
    explicit GridView(QWidget* parent = nullptr);

    GridHeader* gridHeader() const;
    RowIndicator* rowIndicator() const;

    void setColumnAlignment(int logical, Qt::Alignment alignment);
    // What selecting a cell selects here: that cell alone, or with its row or
    // column as the view's selection behaviour says.
    QItemSelectionModel::SelectionFlags selectingCommand() const;
    // Shows the whole text of the cell as a tool tip under it when the cell
    // cuts the text off; false when it fits or the cell is not shown here.
    bool showWholeText(const QModelIndex& index);
    // Scrolls only vertically to rows of a column the other half shows, so
    // that picking a frozen cell leaves the scrolling half where it was.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // The editor open on the current cell, with what was typed into it, goes
    // into the model and closes. False when no editor was open. Callers that
    // act on the model from controls that leave the focus in the editor
    // (tool buttons without focus) commit it first.
    bool commitOpenEditor();
    // The editor open on the current cell closes without touching the model;
    // nor will it commit when it loses the focus afterwards.
    bool discardOpenEditor();

    // Cursor moves that may cross from one half into the other.
    enum class Step { Left, Right, Next, Previous, Home, End };
    // Set by the grid: moves the cursor across both halves; an invalid result
    // leaves the move to the view.
    std::function<QModelIndex(Step, Qt::KeyboardModifiers)> crossMove;
    // Set by the grid: called when the view gets the focus.
    std::function<void()> focusEntered;
    // Set by the grid: opens the editor of a cell the other half shows.
    std::function<void(const QModelIndex&)> editAcross;

  Q_SIGNALS:
    // Sent before the view handles a key; accepting the event consumes it.
    void keyPressed(QKeyEvent* event);
    void geometriesUpdated();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;
    void updateGeometries() override;
    void focusInEvent(QFocusEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    QWidget* openEditor() const;

    QHash<int, Qt::Alignment> alignments_;
};

}  // namespace grid
