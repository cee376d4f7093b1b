// Narrowing 100,000 loaded rows through the filter row of a shown grid:
// typing into a filter entry until the views show the narrowed rows.
#include "bench/grid/journal_like_model.h"
#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QLineEdit>

namespace {

constexpr int kRows = 100000;

struct Fixture {
    JournalLikeModel model{kRows};
    grid::DataGrid grid;

    Fixture() {
        grid.setColumns(journalLikeColumns(), 4);
        grid.setRowLines(5);
        grid.setModel(&model);
        grid.resize(1400, 900);
        grid.show();
        QApplication::processEvents();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// One filter entry: the text narrows the rows; clearing it (untimed) brings them back.
void narrow(benchmark::State& state, int column, const QString& text, int sortColumn) {
    Fixture& f = fixture();
    f.grid.clearFilters();
    if (sortColumn >= 0)
        f.grid.sortByColumn(sortColumn, Qt::AscendingOrder);
    else
        f.grid.clearSort();
    f.grid.setCurrentSourceRow(kRows / 2);
    QApplication::processEvents();
    int shown = 0;
    for (auto _ : state) {
        f.grid.filterEdit(column)->setText(text);
        shown = f.grid.rowCount();
        QApplication::processEvents();  // the views repaint the narrowed rows
        state.PauseTiming();
        f.grid.filterEdit(column)->clear();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["shown"] = shown;
}

void BM_NarrowByOrganisation(benchmark::State& state) { narrow(state, 3, "школа", -1); }
void BM_NarrowByDateYear(benchmark::State& state) { narrow(state, 2, "2011", -1); }
void BM_NarrowWhileSorted(benchmark::State& state) { narrow(state, 3, "школа", 1); }
void BM_NarrowToNothing(benchmark::State& state) { narrow(state, 1, "нема такого", -1); }

// Typing one more letter into an entry that already narrows the rows.
void BM_NarrowFurther(benchmark::State& state) {
    Fixture& f = fixture();
    f.grid.clearFilters();
    f.grid.clearSort();
    QLineEdit* edit = f.grid.filterEdit(4);
    for (auto _ : state) {
        state.PauseTiming();
        edit->setText("к");
        QApplication::processEvents();
        state.ResumeTiming();
        edit->setText("ко");
        QApplication::processEvents();
    }
    state.counters["shown"] = f.grid.rowCount();
    edit->clear();
}

// Widening again: the rows all come back in sorted order.
void BM_ClearFilterWhileSorted(benchmark::State& state) {
    Fixture& f = fixture();
    f.grid.clearFilters();
    f.grid.sortByColumn(6, Qt::AscendingOrder);
    QLineEdit* edit = f.grid.filterEdit(3);
    for (auto _ : state) {
        state.PauseTiming();
        edit->setText("школа");
        QApplication::processEvents();
        state.ResumeTiming();
        edit->clear();
        QApplication::processEvents();
    }
    state.counters["shown"] = f.grid.rowCount();
    f.grid.clearSort();
}

// A title button over all rows: the keys are read once, then the rows sorted.
void BM_SortByTitle(benchmark::State& state) {
    Fixture& f = fixture();
    f.grid.clearFilters();
    for (auto _ : state) {
        state.PauseTiming();
        // Sorting by another column first leaves no keys for this one.
        f.grid.sortByColumn(int(state.range(0)) == 0 ? 1 : 0, Qt::AscendingOrder);
        f.grid.clearSort();
        QApplication::processEvents();
        state.ResumeTiming();
        f.grid.sortByColumn(int(state.range(0)), Qt::AscendingOrder);
        QApplication::processEvents();
    }
    f.grid.clearSort();
}

BENCHMARK(BM_SortByTitle)->Arg(0)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowByOrganisation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowByDateYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowWhileSorted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowToNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowFurther)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClearFilterWhileSorted)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
