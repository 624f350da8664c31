#pragma once
// The engine's half of playing a batch file. The batch runner window owns the loop over the lines
// (it shows them, marks the running one, waits for tool reports and offers Cancel); BatchRun does
// everything that touches the engine:
//
//     BatchRun run(engine, fileName, parameters);   // parameters in force, name echoed, prompt
//     if (!run.Load()) { ui.ShowError("Error, couldn't load " + fileName); return; }
//     for (i over run.Lines()) {
//         if (cancelled) break;
//         if (BatchRun::IsBlankLine(line)) continue;
//         ...mark the line...
//         if (run.RunLine(i, runnerWindow)) ...wait for the tool's report or Cancel...
//     }
//                                                     // ~BatchRun: outer parameters back
#include <string>
#include <vector>

#include "platform/report.h"

namespace qv {

class Engine;

class BatchRun {
public:
    // Puts the parameters in force (the outer batch's are kept for the destructor), appends the
    // batch file's name to the prompt line and starts a new prompt.
    BatchRun(Engine& engine, const std::string& fileName, const std::string& parameters);
    ~BatchRun();
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    // Reads the file's lines (CR LF or LF). False when it cannot be read.
    bool Load();
    const std::vector<std::string>& Lines() const { return lines_; }
    const std::string& FileName() const { return fileName_; }

    // Lines that are empty or hold only characters below code 33 are skipped.
    static bool IsBlankLine(const std::string& line);
    // Runs one line as a batch line: NotifyWindow is the runner's window and InsideBatch is set
    // for its duration. True when it started a tool whose report the runner should wait for.
    bool RunLine(std::size_t index, plat::WindowHandle runnerWindow);

private:
    Engine& engine_;
    std::string fileName_;
    std::string fullName_; // fixed at the start: the batch's own lines may change directory
    std::string savedParameters_;
    std::vector<std::string> lines_;
};

} // namespace qv
