#pragma once
// The tool report channel: started tools send a record back to the window named by their "/#"
// switch.
//
// A window that accepts reports has a decimal handle. The handle says which program instance
// (process) and which of its windows the record is for. Each instance listens on a local socket in
// a per-user directory (XDG_RUNTIME_DIR, or a directory under /tmp with mode 0700 that must belong
// to the user). A record carries the message number, the copy-data identifier and the text; the
// receiver answers 1 when it took the record and 0 otherwise.
//
// Handles are pid * 1000 + window number (1 to 999). The socket is <directory>/<pid>.sock.
//
// In the window code: Listen() once at start-up, put a read notifier on fd() and call
// ProcessPending() whenever it fires. The server's own timer keeps fd() readable about once a
// second while a connection is open, so that idle peers (over five seconds) are dropped.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace plat {

constexpr uint32_t kCopyDataMessage = 0x004A;    // the platform's copy-data message
constexpr uint32_t kRestoreMessage = 0x0900;     // 2304: restore a minimized program
constexpr uint32_t kToolReportIdentifier = 4660; // 0x1234
constexpr size_t kMaxRecordText = 1 << 20;       // larger records are refused

using WindowHandle = uint64_t;

struct ReportRecord {
    uint32_t message = kCopyDataMessage;
    uint32_t identifier = kToolReportIdentifier;
    bool hasData = true; // a copy-data message may come without a record
    std::string text;
};

// The receiving end inside the program. Single-threaded: the window code watches fd() (readable
// whenever anything is pending) and calls ProcessPending(), which never blocks.
class ReportServer {
public:
    using Handler = std::function<int(const ReportRecord&)>; // returns the answer (1 = taken)

    ReportServer();
    ~ReportServer();
    ReportServer(const ReportServer&) = delete;
    ReportServer& operator=(const ReportServer&) = delete;

    bool Listen(); // false with LastError set
    int fd() const;
    // A new window handle; records for it go to the handler.
    WindowHandle RegisterWindow(Handler handler);
    void UnregisterWindow(WindowHandle handle);
    // Accepts and reads whatever is ready, dispatches complete records, answers them.
    void ProcessPending();

    // The one instance of the program, for code that only knows a handle.
    static ReportServer* Instance();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Sends one record and waits for the answer at most timeoutMs. Returns the answer, or -1 when the
// window could not be reached.
int SendReport(WindowHandle handle, const ReportRecord& record, int timeoutMs = 5000);

} // namespace plat
