// The banner's cost: one frame drawn at the banner's real size, the processor share of the banner
// widget animating on its own timer, and that of the whole program while its main dialog sits idle
// with the banner running.
// Run: bench_banner --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "bench_support.h"
#include "main_dialog/MainSettingsDialog.h"
#include "platform/DisplayModes.h"
#include "platform/KeyValueStore.h"
#include "presentation/BannerRenderer.h"
#include "presentation/BannerWidget.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

using dk3::presentation::BannerRenderer;
using dk3::presentation::BannerWidget;

// The banner control is 403 x 92 dialog units of an Arial 8 dialog: about this many pixels.
const QSize kBannerPixels(620, 150);

// The shipped logo, written out as the main dialog does before it hands the path over.
QString logoPath() {
    static const QString path = [] {
        const auto folder = dk3::bench::scratchFolder("dk3-bench-banner");
        const QString file = QString::fromStdString((folder / "vorlix_logo.jpg").string());
        QFile::copy(QStringLiteral(":/dk3/vorlix_logo.jpg"), file);
        return file;
    }();
    return path;
}

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Argument 1: the picture filled eight pixels at a time where the processor can; 0: one at a time;
// 2: eight at a time, the processor's own caches swept clean before each frame, as they are when
// the idle program wakes for its next frame (the picture and the window's pixels then come from
// the shared cache or memory).
void BM_BannerFrame(benchmark::State& state) {
    BannerRenderer::allowWideVectors(state.range(0) != 0);
    const bool cold = state.range(0) == 2;
    std::vector<std::uint64_t> sweep(cold ? 16u << 20 >> 3 : 0);
    BannerRenderer renderer(logoPath());
    if (!renderer.hasPicture()) {
        state.SkipWithError("the logo picture is missing from the resources");
        return;
    }
    // Tipped forward and turned: the picture under a strong projective transform and one edge.
    renderer.animation().angleX = 0.45f;
    renderer.animation().angleY = -0.2f;
    renderer.animation().angleZ = 0.08f;
    QImage target(kBannerPixels, QImage::Format_ARGB32_Premultiplied);
    // Qt's raster engine spreads large transformed drawings over worker threads, which the
    // benchmark's own CPU time (this thread only) does not see: count the whole process too.
    const double processorBefore = processorSeconds();
    bool nudge = false;
    for (auto _ : state) {
        // A frame of an unchanged attitude is not drawn again: move the slab by a hair each time.
        renderer.animation().angleX = nudge ? 0.45f : 0.4500001f;
        nudge = !nudge;
        if (cold) {
            state.PauseTiming();
            for (std::uint64_t& word : sweep)
                word += 1;
            benchmark::ClobberMemory();
            state.ResumeTiming();
        }
        QPainter painter(&target);
        renderer.paint(painter, target.size());
        painter.end();
        benchmark::DoNotOptimize(target.bits());
        benchmark::ClobberMemory();
    }
    state.counters["process_cpu_us"] = benchmark::Counter(
        (processorSeconds() - processorBefore) * 1e6, benchmark::Counter::kAvgIterations);
    BannerRenderer::allowWideVectors(true);
}
BENCHMARK(BM_BannerFrame)->Arg(1)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

// Counts the frames that reach the screen.
class PaintCounter : public QObject {
public:
    int frames = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++frames;
        return QObject::eventFilter(watched, event);
    }
};

// Runs the event loop for the given time and records the share of one processor the whole
// process used meanwhile, and the frames that reached the screen.
void recordProcessorShare(benchmark::State& state, PaintCounter& counter, int seconds) {
    counter.frames = 0;
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    const double processorBefore = processorSeconds();
    wall.start();
    loop.exec();
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double processor = processorSeconds() - processorBefore;

    state.counters["cpu_percent"] = processor / wallSeconds * 100.0;
    state.counters["frames_per_s"] = counter.frames / wallSeconds;
}

void BM_BannerWidgetProcessorShare(benchmark::State& state) {
    constexpr int kSeconds = 10;
    for (auto _ : state) {
        BannerWidget widget(logoPath());
        PaintCounter counter;
        widget.installEventFilter(&counter);
        widget.resize(kBannerPixels);
        widget.show();
        QApplication::processEvents();
        widget.start();
        recordProcessorShare(state, counter, kSeconds);
        widget.stop();
    }
}
BENCHMARK(BM_BannerWidgetProcessorShare)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Answers every message with OK and every question and file chooser with No / Cancel; on the demo
// installation the main dialog asks nothing.
class OkPrompter final : public dk3::ui::Prompter {
public:
    void showMessage(QWidget*, const QString&, const QString&, dk3::ui::MessageIcon) override {}
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    std::optional<QString> chooseExistingFile(QWidget*, const dk3::ui::FileRequest&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseSaveFile(QWidget*, const dk3::ui::FileRequest&) override {
        return std::nullopt;
    }
    dk3::ui::SaveChoice askSaveDiscardCancel(QWidget*, const QString&, const QString&) override {
        return dk3::ui::SaveChoice::Discard;
    }
};

// The whole program idle: the main dialog started on a scratch copy of the demo installation,
// shown, and left alone while its banner sways. Counts every thread of the process.
void BM_MainDialogIdleProcessorShare(benchmark::State& state) {
    namespace fs = std::filesystem;
    using dk3::main_dialog::MainSettingsDialog;
    using dk3::platform::KeyValueStore;
    constexpr int kSeconds = 10;

    const fs::path scratch = dk3::bench::scratchFolder("dk3-bench-idle");
    const fs::path demo(DK3_DEMO_DIR);
    fs::copy(demo / "game", scratch / "game", fs::copy_options::recursive);
    fs::copy(demo / "documents", scratch / "documents", fs::copy_options::recursive);
    fs::create_directories(scratch / "tmp");
    ::chmod((scratch / "tmp").c_str(), 0700);

    KeyValueStore store(scratch / "config" / "registry.ini");
    if (store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir,
                       (scratch / "game").string()) ||
        store.setValue(KeyValueStore::kGameKey, KeyValueStore::kLanguage, "english")) {
        state.SkipWithError("cannot write the scratch key-value store");
        return;
    }
    OkPrompter prompter;
    dk3::platform::XRandrModeSource modes;
    dk3::main_dialog::MainDialogServices services;
    services.prompter = &prompter;
    services.store = &store;
    services.displayModes = &modes;
    services.documentsFolder = scratch / "documents";
    services.tempFolder = scratch / "tmp";

    for (auto _ : state) {
        MainSettingsDialog dialog(services);
        if (dialog.startUp() != MainSettingsDialog::StartupOutcome::Run) {
            state.SkipWithError("the main dialog did not start on the demo installation");
            break;
        }
        auto* banner = dialog.findChild<BannerWidget*>();
        if (!banner || !banner->isRunning()) {
            state.SkipWithError("the main dialog has no running banner");
            break;
        }
        PaintCounter counter;
        banner->installEventFilter(&counter);
        dialog.show();
        QApplication::processEvents();
        recordProcessorShare(state, counter, kSeconds);
        dialog.hide();
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
}
BENCHMARK(BM_MainDialogIdleProcessorShare)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
