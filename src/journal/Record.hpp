#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

// One record of a journal: a flat JSON object whose values are null, booleans,
// numbers, strings or paths ({"base64":"…"} objects). Read through the JSON
// library's event (SAX) interface straight into fields, with no document built.
namespace tavix::journal {

struct Value {
    enum class Kind { null, boolean, number, negative, fraction, text, bytes } kind = Kind::null;
    std::string text;          // text, or the decoded bytes of a base64 path
    std::uint64_t number = 0;  // number; boolean as 0 or 1
};

class Record {
public:
    // The value of `key`, or null when the record has none.
    const Value* find(std::string_view key) const;
    bool has(std::string_view key) const { return find(key) != nullptr; }
    // The value as a path (a string or a base64 object), a string, a count.
    std::optional<std::string> path(std::string_view key) const;
    std::optional<std::string> text(std::string_view key) const;
    std::optional<std::uint64_t> number(std::string_view key) const;
    bool isNull(std::string_view key) const;
    std::size_t size() const { return used_; }

    // Building, from parsing events. Slots are reused from record to record, so
    // reading a journal line after line allocates nothing once warm.
    void clear() { used_ = 0; }
    Value& add(std::string_view key);

private:
    std::vector<std::pair<std::string, Value>> fields_;
    std::size_t used_ = 0;
};

// Parsing events that fill a Record with the fields of one object found at
// depth `depth` (0: the value parsed is the record). A nested object is taken
// only as a base64 path; anything else nested fails the parse. `onRecord`, when
// set, is told of each finished record below depth 0.
class RecordEvents : public nlohmann::json_sax<nlohmann::json> {
public:
    using Json = nlohmann::json;
    Record record;
    std::string error;  // why the parse stopped, when it did

    // Ready for the next object; the record's slots are kept.
    void reset();

    bool null() override;
    bool boolean(bool value) override;
    bool number_integer(number_integer_t value) override;
    bool number_unsigned(number_unsigned_t value) override;
    bool number_float(number_float_t value, const string_t& text) override;
    bool string(string_t& value) override;
    bool binary(binary_t& value) override;
    bool start_object(std::size_t elements) override;
    bool key(string_t& value) override;
    bool end_object() override;
    bool start_array(std::size_t elements) override;
    bool end_array() override;
    bool parse_error(std::size_t position, const std::string& last_token,
                     const Json::exception& failure) override;

private:
    Value* slot();

    int depth_ = 0;          // objects open
    bool inBase64_ = false;  // inside a {"base64":…} value
    std::string key_;
};

// Reads one line as a record; nothing (with `why`) when it isn't one JSON object
// of that form.
bool parseRecord(std::string_view line, RecordEvents& events);

}  // namespace tavix::journal
