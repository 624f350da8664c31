#pragma once
// The platform's "last error": every call of this layer that fails leaves a readable reason here,
// so that callers can turn failures into their own messages where they happen.
#include <string>

namespace plat {

// errno-style code of the last failure on this thread (0 after a success that clears it).
int LastError();
// A short English reason for the last failure, for example "No such file or directory".
std::string LastErrorText();
void SetLastError(int code, std::string text = {});
void ClearLastError();

} // namespace plat
