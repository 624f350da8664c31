#pragma once
// Helpers every test suite shares: a temporary directory tree and small file utilities.
#include <cstdint>
#include <string>

namespace testsupport {

// A fresh directory under the system's temporary folder, removed with everything in it when the
// object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; } // host path, no trailing '/'
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }

    // Creates parent directories as needed; returns the host path.
    std::string write(const std::string& relative, const std::string& content) const;
    std::string mkdir(const std::string& relative) const;

private:
    std::string path_;
};

// Sets an environment variable (nullptr unsets it) until the object goes away.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

std::string readFile(const std::string& hostPath);
bool exists(const std::string& hostPath);

// Where the built executables (quarver and the tool stand-ins) lie.
std::string binDir();

} // namespace testsupport
