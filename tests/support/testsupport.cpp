#include "support/testsupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "quarver-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a temporary directory");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make files read-only; give write permission back so that everything can go.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (!it->is_symlink())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& relative, const std::string& content) const {
    fs::path p = fs::path(path_) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << content;
    return p.string();
}

std::string TempDir::mkdir(const std::string& relative) const {
    fs::path p = fs::path(path_) / relative;
    fs::create_directories(p);
    return p.string();
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        hadOld_ = true;
        old_ = old;
    }
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (hadOld_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

std::string readFile(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& hostPath) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(hostPath, ec));
}

std::string binDir() {
    return QUARVER_BIN_DIR;
}

} // namespace testsupport
