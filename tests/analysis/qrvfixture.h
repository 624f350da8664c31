#pragma once
// Small ".qrv" files for the analysis tests: a header with the fields the analysis reads and a
// frame-size table, written into a temporary directory.
#include "support/testsupport.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrvfixture {

inline void PutLe32(std::string& bytes, size_t offset, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int k = 0; k < 4; ++k)
        bytes[offset + k] = static_cast<char>((u >> (8 * k)) & 0xFF);
}

// Header and table; frameCount defaults to the number of sizes given.
inline std::string QrvBytes(int32_t rateField, const std::vector<int32_t>& sizes,
                            std::optional<int32_t> frameCount = {},
                            const std::string& magic = "QRV2") {
    std::string bytes(104 + 4 * sizes.size(), '\x5A'); // unread fields hold junk on purpose
    bytes.replace(0, 4, magic);
    PutLe32(bytes, 12, frameCount.value_or(static_cast<int32_t>(sizes.size())));
    PutLe32(bytes, 16, rateField);
    for (size_t i = 0; i < sizes.size(); ++i)
        PutLe32(bytes, 104 + 4 * i, sizes[i]);
    return bytes;
}

} // namespace qrvfixture
