#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace tavix::text {

// A TR35 date pattern ("yyyy-MM-dd") built once into a formatter for the
// default locale and time zone as they are when it is built (building one costs
// far more than formatting a date, and a plan formats one date per file).
class DatePattern {
public:
    explicit DatePattern(const std::string& pattern);
    ~DatePattern();
    DatePattern(DatePattern&&) noexcept;
    DatePattern& operator=(DatePattern&&) noexcept;

    // `time` written by the pattern, rounded toward the past to the
    // millisecond; empty when the pattern was rejected.
    std::string format(std::chrono::sys_time<std::chrono::nanoseconds> time) const;

private:
    struct Formatter;
    std::unique_ptr<Formatter> formatter_;
};

}  // namespace tavix::text
