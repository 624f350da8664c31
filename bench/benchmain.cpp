#include "benchmain.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

namespace qvbench {

namespace {
std::string scratch;
}

const std::string& Folder() {
    return scratch;
}

} // namespace qvbench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string folder = (std::filesystem::temp_directory_path() / "quarver-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    qvbench::scratch = folder;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
