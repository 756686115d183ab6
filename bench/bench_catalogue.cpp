// Loading the main dialog's texts looks up about 150 keys of the translation file, each through
// the INI engine, which makes sure every time that the file still holds what it parsed. This
// measures that batch on the shipped file, in the language section that comes last in it.

#include "app/TranslationCatalogue.h"
#include "bench_support.h"
#include "platform/ResourceExtractor.h"

#include <QCoreApplication>
#include <QString>

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {
using namespace dk3;

// Keys of the shipped file in the order the main dialog reads them, repeated to 150 lookups.
std::vector<std::string> mainDialogKeys() {
    const char* const keys[] = {"TEXT_RISK",
                                "TEXT_DISABLED",
                                "TEXT_ENABLED",
                                "TEXT_LOWQUALITY",
                                "TEXT_NORMALQUALITY",
                                "TEXT_MEDIUMQUALITY",
                                "TEXT_HIGHQUALITY",
                                "TEXT_ULTRAHIGHQUALITY",
                                "TEXT_CUSTOMQUALITY",
                                "TEXT_TEXTUREFILTERLINEAR",
                                "TEXT_TEXTUREFILTERANISOTROPIC",
                                "TEXT_TEXTUREFILTERANISOTROPIC4X",
                                "TEXT_TEXTUREFILTERANISOTROPIC8X",
                                "TEXT_TEXTUREFILTERANISOTROPIC16X",
                                "TEXT_POSTPROCESSINGBLOOM",
                                "TEXT_POSTPROCESSINGHORIZONTALBLUR",
                                "TEXT_VERSION",
                                "TEXT_COMMONSETTINGS",
                                "TEXT_ADVANCEDSETTINGS",
                                "TEXT_RESOLUTION",
                                "TEXT_VIDEOSETTINGS",
                                "TEXT_ASPECTRATIO",
                                "TEXT_VIEWRANGEHIGH",
                                "TEXT_VIEWRANGELOW",
                                "TEXT_RESOURCECACHE",
                                "TEXT_OBJECTDETAILS",
                                "TEXT_SHADERQUALITY",
                                "TEXT_TEXTUREQUALITY",
                                "TEXT_TEXTUREFILTER",
                                "TEXT_VEGETATIONQUALITY",
                                "TEXT_SHADOWQUALITY",
                                "TEXT_POSTPROCESSING",
                                "TOOLTIP_LANGUAGE",
                                "TOOLTIP_RESOLUTION",
                                "TOOLTIP_VIDEOSETTINGS",
                                "TOOLTIP_VIEWRANGEHIGH",
                                "TOOLTIP_VIEWRANGELOW",
                                "TOOLTIP_RESOURCECACHE",
                                "TOOLTIP_SHADOWQUALITY",
                                "TOOLTIP_OBJECTDETAILS",
                                "TOOLTIP_SHADERQUALITY",
                                "TOOLTIP_TEXTUREQUALITY",
                                "TOOLTIP_TEXTUREFILTER",
                                "TOOLTIP_VEGETATIONQUALITY",
                                "TOOLTIP_POSTPROCESSING",
                                "TOOLTIP_REMOVESTARTLOGOS",
                                "TOOLTIP_RESTORESTARTLOGOS",
                                "TOOLTIP_VEGETATIONDETAILS",
                                "TOOLTIP_CACHESETTINGS",
                                "TOOLTIP_CREDITS"};
    std::vector<std::string> result;
    while (result.size() < 150)
        for (const char* key : keys)
            if (result.size() < 150)
                result.emplace_back(key);
    return result;
}

void BM_MainDialogLookups(benchmark::State& state) {
    static const auto folder = bench::scratchFolder("dk3-bench-catalogue");
    const auto extracted = platform::extractResourceToTemp(
        QString::fromLatin1(app::TranslationCatalogue::kResourcePath),
        app::TranslationCatalogue::kFileName, folder);
    if (!extracted.path) {
        state.SkipWithError(extracted.error.c_str());
        return;
    }
    const app::TranslationCatalogue catalogue(*extracted.path);
    const auto keys = mainDialogKeys();
    for (auto _ : state) {
        for (const auto& key : keys)
            benchmark::DoNotOptimize(catalogue.lookupText("italiano", key));
    }
    state.counters["lookups"] = static_cast<double>(keys.size());
}
BENCHMARK(BM_MainDialogLookups)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv); // the shipped file is a Qt resource
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
