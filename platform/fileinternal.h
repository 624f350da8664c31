#pragma once
// Helpers shared by the file sources of this layer; not for use outside platform/.
#include "platform/files.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace plat::detail {

inline constexpr const char* kDosAttribName = "user.DOSATTRIB";

// The host path of a program path; empty with LastError set when it has none.
std::string ResolveHost(const std::string& path);
// stat() that reports a dangling link as an empty ordinary file; sets LastError on failure.
bool HostStat(const std::string& host, struct stat& st);
// HostStat of a program path; the host path is left in host.
bool StatPath(const std::string& path, std::string& host, struct stat& st);
// True for a zero result; otherwise sets LastError from errno.
bool Done(int result);
FileTime TimeOf(const struct stat& st);
// The bits kept in user.DOSATTRIB, if any readable value is there.
std::optional<uint32_t> ReadStoredAttributes(const std::string& host);
// The attributes of an entry from its name, its (followed) stat and its stored bits.
uint32_t AttributesOf(const std::string& name, const struct stat& st,
                      std::optional<uint32_t> stored);
// A file without the owner's write permission (directories are never read-only here).
bool IsReadOnly(const struct stat& st);
void SetAccessDenied();

} // namespace plat::detail
