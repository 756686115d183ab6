// The banner's cost: one frame drawn at the banner's real size, and the processor share of the
// banner widget animating on its own timer.
// Run: bench_banner --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "bench_support.h"
#include "presentation/BannerRenderer.h"
#include "presentation/BannerWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

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

void BM_BannerFrame(benchmark::State& state) {
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
    for (auto _ : state) {
        QPainter painter(&target);
        renderer.paint(painter, target.size());
        painter.end();
        benchmark::DoNotOptimize(target.bits());
        benchmark::ClobberMemory();
    }
    state.counters["process_cpu_us"] = benchmark::Counter(
        (processorSeconds() - processorBefore) * 1e6, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_BannerFrame)->Unit(benchmark::kMicrosecond);

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

void BM_BannerWidgetProcessorShare(benchmark::State& state) {
    constexpr int kSeconds = 10;
    for (auto _ : state) {
        BannerWidget widget(logoPath());
        PaintCounter counter;
        widget.installEventFilter(&counter);
        widget.resize(kBannerPixels);
        widget.show();
        QApplication::processEvents();
        counter.frames = 0;

        QEventLoop loop;
        QTimer::singleShot(kSeconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        QElapsedTimer wall;
        const double processorBefore = processorSeconds();
        wall.start();
        widget.start();
        loop.exec();
        widget.stop();
        const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        const double processor = processorSeconds() - processorBefore;

        state.counters["cpu_percent"] = processor / wallSeconds * 100.0;
        state.counters["frames_per_s"] = counter.frames / wallSeconds;
    }
}
BENCHMARK(BM_BannerWidgetProcessorShare)
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
