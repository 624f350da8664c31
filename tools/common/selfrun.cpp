#include "tools/common/selfrun.h"

#include <cstdint>

namespace qv::tools {

namespace {

constexpr char kFileTag[] = "QRVFILE";
constexpr char kArgsTag[] = "QRVARGS";
constexpr char kTrailer[] = "QRVSELF1";
constexpr size_t kTagSize = 7;
constexpr size_t kTrailerSize = 16;

void PutLE64(std::string& out, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t GetLE64(const std::string& in, size_t offset) {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= uint64_t(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    return value;
}

// The text up to the next NUL from pos; false when there is none.
bool TakeText(const std::string& in, size_t& pos, size_t end, std::string& text) {
    size_t nul = in.find('\0', pos);
    if (nul == std::string::npos || nul >= end) return false;
    text = in.substr(pos, nul - pos);
    pos = nul + 1;
    return true;
}

} // namespace

std::string AttachToProgram(const std::string& program, const Attachments& attachments) {
    std::string out = program;
    for (const auto& [name, bytes] : attachments.files) {
        out += kFileTag + name + '\0';
        PutLE64(out, bytes.size());
        out += bytes;
    }
    out += kArgsTag + attachments.switches + '\0';
    out += kTrailer;
    PutLE64(out, program.size());
    return out;
}

bool ReadAttachments(const std::string& program, Attachments& attachments) {
    if (program.size() < kTrailerSize) return false;
    size_t end = program.size() - kTrailerSize;
    if (program.compare(end, 8, kTrailer) != 0) return false;
    uint64_t start = GetLE64(program, end + 8);
    if (start > end) return false;
    Attachments result;
    size_t pos = static_cast<size_t>(start);
    while (pos + kTagSize <= end && program.compare(pos, kTagSize, kFileTag) == 0) {
        pos += kTagSize;
        std::string name;
        if (!TakeText(program, pos, end, name) || pos + 8 > end) return false;
        uint64_t size = GetLE64(program, pos);
        pos += 8;
        if (size > end - pos) return false;
        result.files.emplace_back(name, program.substr(pos, static_cast<size_t>(size)));
        pos += static_cast<size_t>(size);
    }
    if (pos + kTagSize > end || program.compare(pos, kTagSize, kArgsTag) != 0) return false;
    pos += kTagSize;
    if (!TakeText(program, pos, end, result.switches)) return false;
    attachments = std::move(result);
    return true;
}

} // namespace qv::tools
