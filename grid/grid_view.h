#pragma once
// One half of a DataGrid: a table view with a GridHeader over its columns
// and a RowIndicator beside its rows. The frozen and the scrolling halves
// share one model and one selection model.

#include "grid/grid_header.h"

#include <QHash>
#include <QTableView>

namespace grid {

class GridView : public QTableView {
    Q_OBJECT
  public:
    // Cursor moves that may cross from one half into the other.
    enum class Step { Left, Right, Next, Previous, Home, End };

    // What a view asks of the grid it is one half of.
    class Halves {
      public:
        virtual ~Halves() = default;
        // Moves the cursor across both halves; an invalid result leaves the
        // move to the view.
        virtual QModelIndex crossMove(Step step, Qt::KeyboardModifiers modifiers) = 0;
        // Opens the editor of a cell the other half shows.
        virtual void editAcross(const QModelIndex& index) = 0;
        // The view got the focus.
        virtual void focusEntered(GridView& view) = 0;
    };

    explicit GridView(Halves& halves, QWidget* parent = nullptr);

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

    Halves& halves_;
    QHash<int, Qt::Alignment> alignments_;
};

}  // namespace grid
