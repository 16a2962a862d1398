#include "rules/StepJson.hpp"

#include <vector>

namespace tavix {
namespace {

using Json = nlohmann::ordered_json;

// Builds the document as the library's own parser does, keeping track of where
// each value stands so that a number out of range can be named.
class LocatingParser {
public:
    explicit LocatingParser(Json& result) : dom_(result, false) {}

    bool null() { return scalar(dom_.null()); }
    bool boolean(bool value) { return scalar(dom_.boolean(value)); }
    bool number_integer(Json::number_integer_t value) { return scalar(dom_.number_integer(value)); }
    bool number_unsigned(Json::number_unsigned_t value) {
        return scalar(dom_.number_unsigned(value));
    }
    bool number_float(Json::number_float_t value, const Json::string_t& token) {
        // The lexer reads an integer beyond both 64-bit ranges as a double.
        if (token.find_first_of(".eE") == std::string::npos) return outOfRange(token);
        return scalar(dom_.number_float(value, token));
    }
    bool string(Json::string_t& value) { return scalar(dom_.string(value)); }
    bool binary(Json::binary_t& value) { return scalar(dom_.binary(value)); }
    bool start_object(std::size_t size) {
        levels_.push_back({true, {}, 0});
        return dom_.start_object(size);
    }
    bool key(Json::string_t& key) {
        levels_.back().key = key;
        return dom_.key(key);
    }
    bool end_object() {
        levels_.pop_back();
        return scalar(dom_.end_object());
    }
    bool start_array(std::size_t size) {
        levels_.push_back({false, {}, 0});
        return dom_.start_array(size);
    }
    bool end_array() {
        levels_.pop_back();
        return scalar(dom_.end_array());
    }
    template <class Exception>
    bool parse_error(std::size_t, const std::string& token, const Exception& error) {
        // 406: a number too large for a double.
        if (error.id == 406) return outOfRange(token);
        std::string reason = error.what();
        if (const auto tag = reason.find("] "); tag != std::string::npos) reason.erase(0, tag + 2);
        syntax_ = "Not valid JSON: " + reason;
        return false;
    }

    void rethrow() const {
        if (range_) throw NumberRangeError(element_, *range_);
        if (syntax_) throw RuleDecodingError(*syntax_);
    }

private:
    struct Level {
        bool object;
        std::string key;
        std::size_t index;  // arrays: the position of the next value
    };

    // A value is complete: an array moves on to its next position.
    bool scalar(bool result) {
        if (!levels_.empty() && !levels_.back().object) ++levels_.back().index;
        return result;
    }

    bool outOfRange(const std::string& token) {
        // Within an array of steps, the path starts inside the step.
        std::size_t first = 0;
        if (!levels_.empty() && !levels_.front().object) {
            element_ = levels_.front().index;
            first = 1;
        }
        std::string path;
        for (std::size_t i = first; i < levels_.size(); ++i) {
            if (!path.empty()) path += '.';
            path += levels_[i].object ? levels_[i].key : std::to_string(levels_[i].index);
        }
        range_ =
            (path.empty() ? "" : path + ": ") + token + " is out of range for a 64-bit integer.";
        return false;
    }

    nlohmann::detail::json_sax_dom_parser<Json> dom_;
    std::vector<Level> levels_;
    std::optional<std::size_t> element_;
    std::optional<std::string> range_;
    std::optional<std::string> syntax_;
};

}  // namespace

Json parseStepJson(std::string_view text) {
    Json result;
    LocatingParser parser(result);
    if (!Json::sax_parse(text, &parser)) {
        parser.rethrow();
        throw RuleDecodingError("Not valid JSON");
    }
    return result;
}

}  // namespace tavix
