#include "journal/Record.hpp"

#include "journal/Encoding.hpp"

namespace tavix::journal {

const Value* Record::find(std::string_view key) const {
    for (std::size_t i = 0; i < used_; ++i) {
        if (fields_[i].first == key) return &fields_[i].second;
    }
    return nullptr;
}

std::optional<std::string> Record::path(std::string_view key) const {
    const Value* value = find(key);
    if (value == nullptr ||
        (value->kind != Value::Kind::text && value->kind != Value::Kind::bytes)) {
        return std::nullopt;
    }
    return value->text;
}

std::optional<std::string> Record::text(std::string_view key) const {
    const Value* value = find(key);
    if (value == nullptr || value->kind != Value::Kind::text) return std::nullopt;
    return value->text;
}

std::optional<std::uint64_t> Record::number(std::string_view key) const {
    const Value* value = find(key);
    if (value == nullptr || value->kind != Value::Kind::number) return std::nullopt;
    return value->number;
}

bool Record::isNull(std::string_view key) const {
    const Value* value = find(key);
    return value != nullptr && value->kind == Value::Kind::null;
}

Value& Record::add(std::string_view key) {
    // A key given twice keeps its last value, as the library's own documents do.
    for (std::size_t i = 0; i < used_; ++i) {
        if (fields_[i].first == key) return fields_[i].second;
    }
    if (used_ == fields_.size()) fields_.emplace_back();
    auto& [name, value] = fields_[used_++];
    name.assign(key);
    value.kind = Value::Kind::null;
    value.text.clear();
    value.number = 0;
    return value;
}

Value* RecordEvents::slot() {
    if (depth_ == 1) return &record.add(key_);
    error = depth_ == 0 ? "not a JSON object" : "a value nested where none belongs";
    return nullptr;
}

void RecordEvents::reset() {
    record.clear();
    error.clear();
    depth_ = 0;
    inBase64_ = false;
    key_.clear();
}

bool RecordEvents::null() {
    return slot() != nullptr;
}

bool RecordEvents::boolean(bool value) {
    Value* to = slot();
    if (to == nullptr) return false;
    to->kind = Value::Kind::boolean;
    to->number = value ? 1 : 0;
    return true;
}

bool RecordEvents::number_integer(number_integer_t value) {
    Value* to = slot();
    if (to == nullptr) return false;
    to->kind = value < 0 ? Value::Kind::negative : Value::Kind::number;
    to->number = static_cast<std::uint64_t>(value);
    return true;
}

bool RecordEvents::number_unsigned(number_unsigned_t value) {
    Value* to = slot();
    if (to == nullptr) return false;
    to->kind = Value::Kind::number;
    to->number = value;
    return true;
}

bool RecordEvents::number_float(number_float_t, const string_t&) {
    Value* to = slot();
    if (to == nullptr) return false;
    to->kind = Value::Kind::fraction;
    return true;
}

bool RecordEvents::string(string_t& value) {
    if (inBase64_) {
        // The one string of a {"base64":…} path, decoded into the outer key's slot.
        Value& to = record.add(key_);
        auto bytes = fromBase64(value);
        if (!bytes || to.kind == Value::Kind::bytes) {
            error = "a path that isn't base64";
            return false;
        }
        to.kind = Value::Kind::bytes;
        to.text = std::move(*bytes);
        return true;
    }
    Value* to = slot();
    if (to == nullptr) return false;
    to->kind = Value::Kind::text;
    to->text = std::move(value);
    return true;
}

bool RecordEvents::binary(binary_t&) {
    error = "binary values aren't taken";
    return false;
}

bool RecordEvents::start_object(std::size_t) {
    if (depth_ == 0) {
        record.clear();
        depth_ = 1;
        return true;
    }
    if (depth_ == 1) {
        depth_ = 2;
        inBase64_ = false;
        record.add(key_);  // null until the base64 text arrives
        return true;
    }
    error = "a value nested where none belongs";
    return false;
}

bool RecordEvents::key(string_t& value) {
    if (depth_ == 2) {
        if (value != "base64" || inBase64_) {
            error = "a path object other than {\"base64\":…}";
            return false;
        }
        inBase64_ = true;
        return true;
    }
    key_ = std::move(value);
    return true;
}

bool RecordEvents::end_object() {
    if (depth_ == 2) {
        const Value* value = record.find(key_);
        if (!inBase64_ || value == nullptr || value->kind != Value::Kind::bytes) {
            error = "a path object other than {\"base64\":…}";
            return false;
        }
        inBase64_ = false;
    }
    --depth_;
    return true;
}

bool RecordEvents::start_array(std::size_t) {
    error = "a list where none belongs";
    return false;
}

bool RecordEvents::end_array() {
    return false;
}

bool RecordEvents::parse_error(std::size_t, const std::string&, const Json::exception& failure) {
    // "[json.exception.parse_error.101] parse error at line 1, column 4: …"
    std::string text = failure.what();
    if (const auto start = text.find("] "); start != std::string::npos) text.erase(0, start + 2);
    error = "not valid JSON (" + text + ")";
    return false;
}

bool parseRecord(std::string_view line, RecordEvents& events) {
    events.reset();
    const bool parsed = RecordEvents::Json::sax_parse(line.begin(), line.end(), &events);
    if (parsed && events.error.empty()) return true;
    if (events.error.empty()) events.error = "not a JSON object";
    return false;
}

}  // namespace tavix::journal
