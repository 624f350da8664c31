#include "tools/common/toolfiles.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::tools {

namespace {

std::string Reason() {
    std::string text = plat::LastErrorText();
    return text.empty() ? std::string("unknown reason") : text;
}

bool WriteAll(int fd, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool IsReadOnly(const std::string& name) {
    int attr = plat::GetFileAttributes(name);
    return attr >= 0 && (attr & plat::faReadOnly) != 0;
}

} // namespace

std::optional<std::string> ReadInput(const std::string& name, std::string& error) {
    if (name.empty()) {
        error = "Error, no input file was named.";
        return std::nullopt;
    }
    if (plat::DirectoryExists(name)) {
        error = "Error, " + name + " is a directory, not a file.";
        return std::nullopt;
    }
    if (!plat::FileExists(name)) {
        error = "Error, cannot find " + name + ".";
        return std::nullopt;
    }
    std::optional<std::string> content = plat::ReadWholeFile(name);
    if (!content) error = "Error, cannot read " + name + ": " + Reason() + ".";
    return content;
}

bool WriteOutput(const std::string& name, const std::string& content, bool overwrite,
                 std::string& error) {
    std::string host = plat::HostPath(name);
    if (name.empty() || host.empty()) {
        error = "Error, cannot write " + (name.empty() ? std::string("an unnamed file") : name) +
                ": no such drive.";
        return false;
    }
    if (plat::DirectoryExists(name)) {
        error = "Error, cannot write " + name + ": it is a directory.";
        return false;
    }
    if (plat::FileExists(name)) {
        if (!overwrite) {
            error =
                "Error, " + name + " already exists and was left alone (use /O to overwrite it).";
            return false;
        }
        if (IsReadOnly(name)) {
            error = "Error, cannot overwrite " + name + ": the file is read-only.";
            return false;
        }
    }
    std::string dir = host.substr(0, host.find_last_of('/') + 1);
    std::string temp = (dir.empty() ? std::string("./") : dir) + ".quarver-out-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = "Error, cannot write " + name + ": " + std::strerror(errno) + ".";
        return false;
    }
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
    int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), host.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = "Error, cannot write " + name + ": " + std::strerror(savedErrno) + ".";
    }
    return ok;
}

bool PatchFile(const std::string& name, uint64_t offset, const std::string& bytes,
               std::string& error) {
    if (IsReadOnly(name)) {
        error = "Error, cannot change " + name + ": the file is read-only.";
        return false;
    }
    std::string host = plat::HostPath(name);
    if (host.empty()) {
        error = "Error, cannot open " + name + " for writing: no such drive.";
        return false;
    }
    int fd = ::open(host.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "Error, cannot open " + name + " for writing: " + std::strerror(errno) + ".";
        return false;
    }
    bool ok = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) ==
                  static_cast<ssize_t>(bytes.size()) &&
              ::fsync(fd) == 0;
    int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok) error = "Error, cannot change " + name + ": " + std::strerror(savedErrno) + ".";
    return ok;
}

std::string WithExtension(const std::string& name, const std::string& ext) {
    return plat::ChangeFileExt(name, ext);
}

std::string LowerExtension(const std::string& name) {
    return plat::ToLower(plat::ExtractFileExt(name));
}

} // namespace qv::tools
