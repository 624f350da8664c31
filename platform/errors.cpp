#include "platform/errors.h"

#include <cstring>

namespace plat {

namespace {
thread_local int lastCode = 0;
thread_local std::string lastText;
} // namespace

int LastError() {
    return lastCode;
}

std::string LastErrorText() {
    if (!lastText.empty()) return lastText;
    if (lastCode == 0) return {};
    return std::strerror(lastCode);
}

void SetLastError(int code, std::string text) {
    lastCode = code;
    lastText = std::move(text);
}

void ClearLastError() {
    SetLastError(0);
}

} // namespace plat
