// The file commands against the system's own tools, all as wall-clock times: a 512 MiB copy
// through the copy window (shown offscreen) against cp, the file finder over a tree of 100,000
// files in 5,000 directories against find -iname, and the dir listing of a directory of 20,000
// files against ls -l.
#include "benchmain.h"
#include "dialogs/Copyf.h"
#include "dialogs/Find.h"
#include "engine/engine.h"
#include "platform/paths.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

void Run(benchmark::State& state, const std::string& command) {
    if (std::system(command.c_str()) != 0) state.SkipWithError(command.c_str());
}

// A 512 MiB file of varied bytes, made once.
const std::string& BigFile() {
    static const std::string host = [] {
        const std::string path = qvbench::Folder() + "/big.bin";
        std::ofstream out(path, std::ios::binary);
        std::vector<uint64_t> block(1 << 16);
        uint64_t seed = 88172645463325252ull;
        for (int round = 0; round < 1024; ++round) {
            for (auto& word : block) {
                seed ^= seed << 13;
                seed ^= seed >> 7;
                seed ^= seed << 17;
                word = seed;
            }
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size() * sizeof block[0]));
        }
        return path;
    }();
    return host;
}

void BM_CopyWithProgress(benchmark::State& state) {
    const std::string source = plat::ProgramPath(BigFile());
    const std::string target = plat::ProgramPath(qvbench::Folder()) + "\\copy.bin";
    for (auto _ : state) {
        std::string from = source;
        std::string to = target;
        if (qv::CopyWithProgress(from, to) != qv::CopyOutcome::Copied)
            state.SkipWithError("copy failed");
        state.PauseTiming();
        fs::remove(qvbench::Folder() + "/copy.bin");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopyWithProgress)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyCp(benchmark::State& state) {
    const std::string command =
        "cp " + Quote(BigFile()) + " " + Quote(qvbench::Folder() + "/copy.bin");
    for (auto _ : state) {
        Run(state, command);
        state.PauseTiming();
        fs::remove(qvbench::Folder() + "/copy.bin");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopyCp)->Unit(benchmark::kMillisecond)->UseRealTime();

// 50 directories of 99 subdirectories each (5,000 directories in all), 20 files in each: clips
// of four kinds, so that a "*.qrv" search matches a quarter of them.
const std::string& Tree() {
    static const std::string root = [] {
        const std::string top = qvbench::Folder() + "/tree";
        static const char* const kinds[] = {".avi", ".qrv", ".wav", ".txt"};
        auto fill = [](const std::string& dir) {
            fs::create_directories(dir);
            for (int f = 0; f < 20; ++f)
                std::ofstream(dir + "/Clip" + std::to_string(f) + kinds[f % 4]);
        };
        for (int a = 0; a < 50; ++a) {
            const std::string dir = top + "/Set" + std::to_string(a);
            fill(dir);
            for (int b = 0; b < 99; ++b)
                fill(dir + "/Take" + std::to_string(b));
        }
        return top;
    }();
    return root;
}

void BM_FindFiles(benchmark::State& state) {
    const std::string argument = plat::ProgramPath(Tree()) + "\\*.qrv";
    for (auto _ : state) {
        qv::Engine engine;
        qv::FindFilesToHistory(engine, argument);
        benchmark::DoNotOptimize(engine.history.Count());
    }
}
BENCHMARK(BM_FindFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindReference(benchmark::State& state) {
    const std::string command = "find " + Quote(Tree()) + " -iname '*.qrv' > /dev/null";
    for (auto _ : state)
        Run(state, command);
}
BENCHMARK(BM_FindReference)->Unit(benchmark::kMillisecond)->UseRealTime();

const std::string& Flat() {
    static const std::string dir = [] {
        const std::string path = qvbench::Folder() + "/flat";
        fs::create_directories(path);
        for (int f = 0; f < 20000; ++f)
            std::ofstream(path + "/file" + std::to_string(f) + ".dat") << f;
        return path;
    }();
    return dir;
}

void BM_Dir(benchmark::State& state) {
    const std::string directory = plat::ProgramPath(Flat());
    for (auto _ : state) {
        qv::Engine engine;
        engine.settings.CommandDirectory = directory;
        engine.ShowPrompt();
        engine.RunCommand({}, "dir");
        benchmark::DoNotOptimize(engine.history.Count());
    }
}
BENCHMARK(BM_Dir)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DirLs(benchmark::State& state) {
    const std::string command = "ls -l " + Quote(Flat()) + " > /dev/null";
    for (auto _ : state)
        Run(state, command);
}
BENCHMARK(BM_DirLs)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
