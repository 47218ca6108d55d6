// The result log under load: appending many lines to both views of the main window, with and without
// the event processing a running check does between entries. Runs on the offscreen platform.
#include "ui/clsLogPane.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string TemporaryExecutablePath() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ferrule-bench-XXXXXX").string();
    return std::string(::mkdtemp(pattern.data())) + "/ferrule";
}

// A loaded main window with the log window shown too, so that both views are on screen.
struct Window {
    std::string executable = TemporaryExecutablePath();
    frmMain window{executable};
    Window() {
        window.Form_Load();
        window.SetLogWindowVisible(true);
        QCoreApplication::processEvents();
    }
    ~Window() {
        window.close();
        std::filesystem::remove_all(std::filesystem::path(executable).parent_path());
    }
};

const std::string kLine = "○ folder/sub/some file name.bin [0123456789abcdef0123456789abcdef]";

// AddLog for every line, then one round of event processing that lets both views lay out and show
// the last line: the cost of a whole log written at once.
void BM_AddLog(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Window w;
        state.ResumeTiming();
        for (int i = 0; i < lines; ++i) {
            w.window.AddLog(kLine);
        }
        w.window.LogPane()->FlushSelection();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(w.window.LogPane()->SelectedIndex());
        state.PauseTiming();
        w.window.ClearLog();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_AddLog)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One line and one yield to the event loop per line, as a check does per listed file.
void BM_AddLogWithYields(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Window w;
        state.ResumeTiming();
        for (int i = 0; i < lines; ++i) {
            QCoreApplication::processEvents(); // the window serving its events between lines
            w.window.AddLog(kLine);
        }
        QCoreApplication::processEvents();
        state.PauseTiming();
        w.window.ClearLog();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_AddLogWithYields)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

} // namespace

void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (!message.startsWith(QStringLiteral("This plugin does not support"))) {
        std::fprintf(stderr, "%d: %s\n", int(type), qPrintable(message));
    }
}

int main(int argc, char** argv) {
    qInstallMessageHandler(QuietOffscreenWarnings);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
