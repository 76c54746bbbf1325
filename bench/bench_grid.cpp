// The hex grid's page refresh into the real window, offscreen: against writing
// the same cell texts straight into the same QTableWidget, and paging through
// a whole 65536-word image.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>

#include "app/main_window.h"
#include "images/grid_page.h"
#include "settings/memory_store.h"
#include "tests/fakes/recording_plugin.h"

namespace tessil {
namespace {

constexpr std::uint32_t kWords = 65536;

// One window with a 65536-word file image shown, shared by the benchmarks.
struct Bench {
  TMainWindow window{{.store = [] { return std::make_unique<MemoryStore>(); },
                      .opener = fakes::InProcessOpener(),
                      .hooks = {.message = [](QMessageBox&) {}}}};
  Commands commands{window.session(), window};
  QTableWidget* grid = window.findChild<QTableWidget*>("StringGrid1");
  QScrollBar* bar = window.findChild<QScrollBar*>("ScrollBar1");
  std::array<std::vector<std::tuple<int, int, QString>>, 2> pages;  // (row, column, text)

  Bench() {
    auto& plugin = fakes::Recorder();
    plugin.size = {kWords, kWords};
    plugin.image[0].resize(kWords);
    for (std::uint32_t i = 0; i < kWords; ++i) plugin.image[0][i] = std::uint16_t(i * 2654435761u);
    commands.LoadPlugin("librecording.so");
    ReplaceImage(window.session().images, ImageSlot::File, kFileImage, kFileImage,
                 window.session().plugin);
    window.SetEnabled(Control::ScrollBar1, true);
    window.SetScrollMaximum(ScrollMaximumFor(kWords));
    for (int p = 0; p < 2; ++p) {
      const PageCells page = FormatPage(p, *window.session().images.DisplayedImage, kWords,
                                        grid->rowCount(), grid->columnCount());
      for (int r = 0; r < page.rows; ++r) {
        for (int c = 0; c < page.columns; ++c) {
          pages[p].emplace_back(r + 1, c, QString::fromStdString(page.at(r, c)));
        }
      }
    }
  }
  // Moves the scroll bar without running the refresh: the benchmarks run it themselves.
  void ShowPosition(int page) {
    const QSignalBlocker quiet(bar);
    bar->setValue(page);
  }
  static Bench*& Current() {
    static Bench* bench = nullptr;
    return bench;
  }
  static Bench& Get() { return *Current(); }
};

// Pages 0 and 1 alternate, so every cell text really changes.
void BM_PageRefresh(benchmark::State& state) {
  Bench& b = Bench::Get();
  int page = 0;
  for (auto _ : state) {
    page ^= 1;
    b.ShowPosition(page);
    b.commands.ScrollBar1Change();
  }
}
BENCHMARK(BM_PageRefresh);

void BM_BareCellWrites(benchmark::State& state) {
  Bench& b = Bench::Get();
  int page = 0;
  for (auto _ : state) {
    page ^= 1;
    b.ShowPosition(page);
    for (const auto& [row, column, text] : b.pages[page]) b.grid->item(row, column)->setText(text);
  }
}
BENCHMARK(BM_BareCellWrites);

// Every position from the first to the last, as the user drags the scroll bar.
void BM_PageThroughWholeImage(benchmark::State& state) {
  Bench& b = Bench::Get();
  for (auto _ : state) {
    for (int p = 0; p <= b.bar->maximum(); ++p) b.bar->setValue(p);
    b.bar->setValue(0);
  }
  state.counters["pages"] = b.bar->maximum() + 1;
}
BENCHMARK(BM_PageThroughWholeImage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessil

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  // The window must go before the application does.
  auto bench = std::make_unique<tessil::Bench>();
  tessil::Bench::Current() = bench.get();
  benchmark::RunSpecifiedBenchmarks();
  bench.reset();
  benchmark::Shutdown();
  return 0;
}
