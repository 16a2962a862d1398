#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace tavix {

// A random (version 4) UUID: the identity of plan items and steps.
struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    // A fresh random value; two calls never give the same one in practice.
    static Uuid random();
    // The 36-character upper-case form, "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
    std::string text() const;

    friend auto operator<=>(const Uuid&, const Uuid&) = default;
};

}  // namespace tavix

template <>
struct std::hash<tavix::Uuid> {
    std::size_t operator()(const tavix::Uuid& id) const noexcept {
        std::uint64_t a = 0;
        for (int i = 0; i < 8; ++i) a = (a << 8) | id.bytes[static_cast<std::size_t>(i)];
        return std::hash<std::uint64_t>{}(a);
    }
};
