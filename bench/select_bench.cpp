// Find on tables of 100,000 and 1,000,000 records: from showing the selection window
// to its grid painted, the double-click's locate until the main window shows the
// record, and the refresh of the selection window's cursor after it has closed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>

#include "app/program_windows.h"
#include "bench_tables.h"
#include "dialogs/confirm.h"
#include "dialogs/select_window.h"
#include "main_window/form1.h"
#include "platform/modal_loop.h"
#include "platform/window_hook.h"
#include "store/credential_table.h"

namespace veltrop::bench {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The program's three windows on the generated table of state.range(0) records,
// wired as start-up wires them; the main window is shown.
class Windows {
public:
    explicit Windows(const benchmark::State& state) {
        enterTableFolder(state.range(0));
        form1_ = std::make_unique<TForm1>(session_, Table::PasswordPrompt());
        form2_ = std::make_unique<TForm2>(session_, Table::PasswordPrompt());
        form3_ = std::make_unique<TForm3>();
        ProgramWindows().connectWindows(*form1_, *form2_, *form3_);
        form1_->show();
        (void)QTest::qWaitForWindowExposed(form1_.get());
    }
    TForm1& form1() { return *form1_; }
    TForm2& form2() { return *form2_; }

    // Shows Form2 modally, runs the step inside the loop, and ends the loop with
    // Cancel if the step left it running.
    void whileShown(const std::function<void()>& step) {
        QTimer::singleShot(0, form2_.get(), [&] {
            step();
            if (form2_->modalResult() == ModalResult::Running) {
                form2_->setModalResult(ModalResult::Cancel);
            }
        });
        showModal(*form2_);
    }

private:
    engine::Session session_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
};

void BM_FindToGridPainted(benchmark::State& state) {
    Windows windows(state);
    TForm2& form2 = windows.form2();
    Clock::time_point start;
    double elapsed = 0;
    // Once the paint event being delivered has been handled.
    const WindowHook painted(*form2.DBGrid1().viewport(), [&](QObject&, QEvent& event) {
        if (event.type() == QEvent::Paint) {
            QTimer::singleShot(0, &form2, [&] {
                elapsed = secondsSince(start);
                form2.setModalResult(ModalResult::Cancel);
            });
        }
    });
    for (auto _ : state) {
        start = Clock::now();
        showModal(form2);
        state.SetIterationTime(elapsed);
        form2.refreshAfterClose();
    }
    state.counters["rows_read"] = form2.DBGrid1().model()->rowCount();
}

void BM_DoubleClickLocatesLastRecord(benchmark::State& state) {
    Windows windows(state);
    TForm2& form2 = windows.form2();
    RecordView& grid = form2.DBGrid1();
    const std::string wanted = generatedKey(state.range(0) - 1).description;
    for (auto _ : state) {
        windows.form1().Table1().first();
        double elapsed = 0;
        windows.whileShown([&] {
            QTest::keyClick(&grid, Qt::Key_End);
            const QPoint row = grid.viewport()->mapTo(
                &form2,
                QPoint(10, grid.currentIndex().row() * grid.rowPitch() + grid.rowPitch() / 2));
            const Clock::time_point start = Clock::now();
            QTest::mouseDClick(form2.windowHandle(), Qt::LeftButton, {}, row);
            elapsed = secondsSince(start);
        });
        state.SetIterationTime(elapsed);
        if (windows.form1().DBEdit1()->text().toStdString() != wanted) {
            state.SkipWithError("the main window does not show the chosen record");
            break;
        }
    }
}

void BM_RefreshAfterClose(benchmark::State& state) {
    Windows windows(state);
    TForm2& form2 = windows.form2();
    // In the middle of the table, as after a choice there.
    windows.whileShown([&] {
        QScrollBar& bar = *form2.DBGrid1().verticalScrollBar();
        bar.setSliderDown(true);
        bar.setSliderPosition(bar.maximum() / 2);
        bar.setSliderDown(false);
    });
    for (auto _ : state) {
        form2.refreshAfterClose();
    }
}

void sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_FindToGridPainted)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_DoubleClickLocatesLastRecord)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_RefreshAfterClose)->Apply(sizes);

}  // namespace veltrop::bench

int main(int argc, char** argv) {
    // Windows are needed, a screen is not.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
