#include "engine/Uuid.hpp"

#include <random>

namespace tavix {

Uuid Uuid::random() {
    // One generator per thread, seeded from the system's entropy source.
    thread_local std::mt19937_64 generator{[] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }()};
    Uuid id;
    for (std::size_t i = 0; i < 16; i += 8) {
        std::uint64_t value = generator();
        for (std::size_t j = 0; j < 8; ++j)
            id.bytes[i + j] = static_cast<std::uint8_t>(value >> (8 * j));
    }
    id.bytes[6] = static_cast<std::uint8_t>((id.bytes[6] & 0x0F) | 0x40);  // version 4
    id.bytes[8] = static_cast<std::uint8_t>((id.bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return id;
}

std::string Uuid::text() const {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (std::size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
        out.push_back(hex[bytes[i] >> 4]);
        out.push_back(hex[bytes[i] & 0x0F]);
    }
    return out;
}

}  // namespace tavix
