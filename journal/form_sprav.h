#pragma once
// TFormSprav: the reference lists window. One tab per list, each with its
// caption line, a navigator and a grid editing the main window's copy of
// the list in place; every stored or deleted row goes to the server at once
// through the lists' own hooks.

#include "core/data_sets.h"
#include "core/prompter.h"
#include "grid/data_grid.h"
#include "journal/pending_rows_model.h"
#include "journal/record_store.h"

#include <QDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace journal {

class TFormSprav : public QDialog {
    Q_OBJECT
  public:
    // The navigator's buttons in their order.
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    static constexpr int kTabs = 6;
    static constexpr int kExpertTab = 4;

    // Every row stored or deleted here goes to the server through the store.
    TFormSprav(core::DataSets& dataSets, RecordStore& store, core::Prompter& prompter,
               QWidget* parent = nullptr);
    ~TFormSprav() override;

    QTabWidget* pages() const { return PageControl; }
    grid::DataGrid* grid(int tab) const { return tabs_[std::size_t(tab)].grid; }
    QToolButton* button(int tab, Button b) const { return tabs_[std::size_t(tab)].buttons[b]; }
    core::ClientDataSet& list(int tab) const { return *tabs_[std::size_t(tab)].list; }
    QPushButton* closeButton() const { return ButClose; }

    // What a navigator button does, as a click runs it: first what is being
    // typed into the open cell goes into the row (cancel drops it).
    void press(int tab, Button b);
    // The grid's Ctrl+Delete: asks, then deletes the current row.
    void gridDelete(int tab);
    // Leaving a list's row: the open cell goes into the row, then an
    // untouched new row is dropped and an edited one stored. False when the
    // row could not be stored (it stays in editing).
    bool settle(int tab);

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct Tab {
        core::ClientDataSet* list = nullptr;
        grid::DataGrid* grid = nullptr;
        std::unique_ptr<PendingRowsModel> model;
        std::array<QToolButton*, 10> buttons{};
    };
    void buildTab(int tab, const QString& table, const QString& caption, const QString& line);
    bool untouchedNewRow(int tab) const;
    // Moves the list to a row as the user asked: the row left is settled
    // first, and the target follows a dropped row's removal. False when the
    // row left could not be stored; the list and the grid stay on it.
    bool moveTo(int tab, int row);
    // Every store and every delete of a list row goes through these two.
    bool storeRow(int tab);
    bool removeRow(int tab);
    // Runs a change the window makes to a list; the grid follows the list
    // once it is done, and its moves meanwhile are echoes, not the user's.
    bool acting(int tab, const std::function<bool()>& change);
    void followList(int tab);

    core::DataSets& dataSets_;
    RecordStore& store_;
    core::Prompter& prompter_;
    QTabWidget* PageControl;
    QPushButton* ButClose;
    std::array<Tab, kTabs> tabs_;
    bool shownBefore_ = false;
    bool acting_ = false;
    int lastTab_ = -1;
};

}  // namespace journal
