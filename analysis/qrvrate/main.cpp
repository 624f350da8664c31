// qrvrate: the data rate of a ".qrv" file on standard output, for scripts and for checking the
// analysis window's numbers without a screen.
//
//   qrvrate [--per-frame] FILE            the values text the window copies
//   qrvrate [--per-frame] --series FILE   frame and average value of every frame, then the scale
#include "analysis/core/qrvfile.h"
#include "platform/paths.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage = "Usage: qrvrate [--per-frame] [--series] FILE\n";

void Write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string SeriesText(const qv::RateSeries& series, bool perSecond) {
    std::string text;
    text.reserve(series.frameValues.size() * 40 + 100);
    char line[160];
    for (size_t i = 0; i < series.frameValues.size(); ++i) {
        int n = std::snprintf(line, sizeof line, "%zu\t%.6f\t%.6f\r\n", i + 1,
                              series.frameValues[i], series.averageValues[i]);
        text.append(line, static_cast<size_t>(n));
    }
    // The window's default: only the 2x CD-ROM line is shown.
    const qv::ValueScale scale =
        qv::ScaleTop(series.maximum, series.referenceLevels[qv::ref2x], perSecond);
    int n = std::snprintf(line, sizeof line, "max\t%.6f\ttop\t%.6f\tstep\t%.6f\r\n", series.maximum,
                          scale.top, scale.step);
    text.append(line, static_cast<size_t>(n));
    return text;
}

} // namespace

int main(int argc, char* argv[]) {
    bool perSecond = true;
    bool seriesMode = false;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--per-frame") {
            perSecond = false;
        } else if (arg == "--series") {
            seriesMode = true;
        } else if (file.empty() && !arg.empty() && !arg.starts_with("--")) {
            file = arg;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (file.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (file.starts_with('/')) {
        std::string programPath = plat::ProgramPath(file);
        if (!programPath.empty()) file = programPath;
    }

    qv::RateSeries series;
    if (!qv::LoadRateSeries(file, perSecond, series)) {
        std::fputs("Error loading Quarver file.\n", stderr);
        return 1;
    }
    if (seriesMode)
        Write(SeriesText(series, perSecond));
    else
        Write(qv::CopyValuesText(series.fileName, series.frameValues, series.frameTime, perSecond));
    return std::fflush(stdout) == 0 ? 0 : 1;
}
