#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Numbers and moments written as the current locale writes them.
namespace tavix::text {

// `tenths` / 10 in the locale's digits and decimal separator, a zero fraction
// dropped: 15 is "1.5", 20 is "2".
std::string formatTenths(std::uint64_t tenths);

// A date and time in the locale's medium date and short time, in the default
// time zone; nothing when the locale can't format one.
std::optional<std::string> formatDateTime(std::chrono::sys_time<std::chrono::nanoseconds> time);

}  // namespace tavix::text
