// The data-rate analysis against its references: loading the rate series of a 2,000,000-frame
// file against a plain sequential read of the same file, and redrawing the analysis window at the
// default zoom for files of 1,000 and 1,000,000 frames.
#include "analysis/Tune.h"
#include "analysis/core/qrvfile.h"
#include "benchmain.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

// A ".qrv" file of `frames` frames with sizes that vary like real ones; returns its program path.
std::string QrvFile(int frames) {
    static std::map<int, std::string> made;
    if (auto it = made.find(frames); it != made.end()) return it->second;
    const std::string host = qvbench::Folder() + "/f" + std::to_string(frames) + ".qrv";
    std::vector<unsigned char> bytes(104 + 4 * static_cast<size_t>(frames), 0);
    auto put = [&](size_t offset, uint32_t v) {
        for (int k = 0; k < 4; ++k)
            bytes[offset + k] = static_cast<unsigned char>(v >> (8 * k));
    };
    bytes[0] = 'Q', bytes[1] = 'R', bytes[2] = 'V', bytes[3] = '2';
    put(12, static_cast<uint32_t>(frames));
    put(16, static_cast<uint32_t>(-6667));
    uint32_t seed = 12345;
    for (int i = 0; i < frames; ++i) {
        seed = seed * 1103515245 + 12345;
        put(104 + 4 * static_cast<size_t>(i), 2000 + (seed >> 16) % 14000);
    }
    std::ofstream(host, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return made[frames] = plat::ProgramPath(host);
}

void BM_LoadRateSeries(benchmark::State& state) {
    const std::string path = QrvFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        qv::RateSeries series;
        if (!qv::LoadRateSeries(path, true, series)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(series.maximum);
    }
}
BENCHMARK(BM_LoadRateSeries)->Arg(2000000)->Unit(benchmark::kMillisecond);

// The reference: the same file read front to back in 64 KiB pieces, every byte touched.
void BM_PlainRead(benchmark::State& state) {
    const std::string path = QrvFile(static_cast<int>(state.range(0)));
    std::vector<unsigned char> buffer(65536);
    for (auto _ : state) {
        plat::File file;
        if (!file.Open(path, plat::File::Mode::Read)) state.SkipWithError("open failed");
        uint64_t sum = 0;
        for (int64_t n; (n = file.Read(buffer.data(), buffer.size())) > 0;)
            for (int64_t i = 0; i < n; ++i)
                sum += buffer[static_cast<size_t>(i)];
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_PlainRead)->Arg(2000000)->Unit(benchmark::kMillisecond);

// One full redraw of the window, as after a scroll step, into an offscreen picture.
void BM_RedrawWindow(benchmark::State& state) {
    qv::Ttunef window;
    if (!window.OpenAnalysis(QString::fromStdString(QrvFile(static_cast<int>(state.range(0))))))
        state.SkipWithError("load failed");
    window.resize(500, 344);
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        window.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RedrawWindow)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace
