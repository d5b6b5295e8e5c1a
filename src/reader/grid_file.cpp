#include "reader/grid_file.h"

#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

#include "messages/catalogue.h"
#include "reader/field_chars.h"
#include "reader/number_conversion.h"

namespace logk {
namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kFewestTemperatures = 3;

// A field of a line, without the blanks around it, and the column (from 1)
// of its first byte; an empty field's is that of the comma after it, or
// the one past the line's end.
struct Field {
    std::string_view text;
    std::int64_t column;
    std::int64_t end_column() const { return column + static_cast<std::int64_t>(text.size()); }
};

enum class Separator { commas, blanks };

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A header's first field: the free-form reader takes a field beginning with
// T, t, F or f as a truth value, so such a field would begin a table on the
// fixed grid.
bool is_word(std::string_view text) {
    if (text.empty() || !is_ascii_letter(text[0])) return false;
    const char c = text[0];
    return c != 'T' && c != 't' && c != 'F' && c != 'f';
}

bool equals_in_any_case(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != lower[i]) return false;
    }
    return true;
}

// A blank line or a comment line.
bool is_passed_over(const char* p, const char* end) {
    while (p != end && is_blank(*p)) ++p;
    return p == end || *p == '#';
}

void split_at_blanks(const char* begin, const char* end, std::vector<Field>& fields) {
    for (const char* p = begin;;) {
        while (p != end && is_blank(*p)) ++p;
        if (p == end) return;
        const char* const start = p;
        while (p != end && !is_blank(*p)) ++p;
        fields.push_back({{start, static_cast<std::size_t>(p - start)}, start - begin + 1});
    }
}

void split_at_commas(const char* begin, const char* end, std::vector<Field>& fields) {
    for (const char* p = begin;;) {
        const auto* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p)));
        const char* const stop = comma != nullptr ? comma : end;
        while (p != stop && is_blank(*p)) ++p;
        const char* last = stop;
        while (last != p && is_blank(last[-1])) --last;
        fields.push_back({{p, static_cast<std::size_t>(last - p)}, p - begin + 1});
        if (comma == nullptr) return;
        p = comma + 1;
    }
}

enum class Number { value, missing, no_number, unconvertible };

// A field as a number of the free-form notation, or `nan` in any case or
// an empty field for a missing one.
Number take_number(std::string_view text, std::string& scratch, double& value) {
    if (text.empty() || equals_in_any_case(text, "nan")) return Number::missing;
    if (numeric_syntax_message(text) != 0) return Number::no_number;
    const std::optional<double> converted = convert_numeric(text, scratch);
    if (!converted) return Number::unconvertible;
    value = *converted;
    return Number::value;
}

// The reading of one file; nothing of it outlives the reading.
class GridReader {
public:
    GridReader(InputFile& file, GridFileTable& table, GridFileFailure& failure)
        : file_(file), table_(table), failure_(failure) {}

    bool run();

private:
    bool next_line(bool& ended);
    bool take_fields();
    bool take_header();
    bool take_row();
    bool take_node(const Field& field, const char* kind, std::vector<double>& nodes);
    bool take_value(const Field& field);
    bool finish();

    bool fail(int message, std::int64_t column, std::string detail) {
        failure_ = {message, file_.line(), column, std::move(detail)};
        return false;
    }
    bool fail_at_end(std::string detail) { return fail(msg::end_of_file_during_read, 0, std::move(detail)); }

    InputFile& file_;
    GridFileTable& table_;
    GridFileFailure& failure_;
    Separator separator_ = Separator::blanks;
    std::vector<Field> fields_;
    std::size_t rows_ = 0;
    bool at_sat_ = false;  // the first row's pressure field is `sat`
};

bool GridReader::run() {
    table_ = {};
    bool ended = false;
    if (!next_line(ended)) return false;
    if (ended) return fail_at_end("the file ends before its header");
    if (!take_header()) return false;
    for (;;) {
        if (!next_line(ended)) return false;
        if (ended) return finish();
        if (!take_row()) return false;
    }
}

// Makes the next line that is not passed over current; `ended` where the
// file ends first.
bool GridReader::next_line(bool& ended) {
    for (;;) {
        const RecordResult record = file_.next_record();
        if (record.status == RecordResult::failed) return fail(record.message, 0, {});
        if (record.status == RecordResult::end_of_file) {
            ended = true;
            return true;
        }
        if (!is_passed_over(file_.record_begin(), file_.record_end())) return true;
    }
}

// The current line's fields. A '#' after data is refused before anything
// else on its line: what follows it is a comment, out of place.
bool GridReader::take_fields() {
    const char* const begin = file_.record_begin();
    const char* const end = file_.record_end();
    if (const void* hash = std::memchr(begin, '#', static_cast<std::size_t>(end - begin))) {
        return fail(msg::syntax_error, static_cast<const char*>(hash) - begin + 1,
                    "a comment stands on a line of its own, with nothing but blanks before its '#'");
    }
    fields_.clear();
    if (separator_ == Separator::commas) {
        split_at_commas(begin, end, fields_);
    } else {
        split_at_blanks(begin, end, fields_);
    }
    return true;
}

bool GridReader::take_header() {
    const char* const begin = file_.record_begin();
    const std::size_t length = static_cast<std::size_t>(file_.record_end() - begin);
    separator_ = std::memchr(begin, ',', length) != nullptr ? Separator::commas : Separator::blanks;
    if (!take_fields()) return false;
    if (!is_word(fields_[0].text)) {
        return fail(msg::syntax_error, fields_[0].column,
                    "the header's first field is no word: it begins with a letter other than T or F");
    }
    for (std::size_t i = 1; i < fields_.size(); ++i) {
        if (!take_node(fields_[i], "temperature", table_.temperatures)) return false;
    }
    if (table_.temperatures.size() < kFewestTemperatures) {
        return fail(msg::syntax_error, fields_.back().end_column(),
                    "the header names " + std::to_string(table_.temperatures.size()) +
                        " temperature nodes: a table needs 3 or more");
    }
    return true;
}

bool GridReader::take_row() {
    if (!take_fields()) return false;
    const Field& head = fields_[0];
    if (at_sat_) {
        return fail(msg::syntax_error, head.column,
                    "a second data row: a table at sat, along the saturation line, has a single row");
    }
    if (equals_in_any_case(head.text, "sat")) {
        if (rows_ > 0) return fail(msg::syntax_error, head.column, "sat stands only in a table's single row");
        at_sat_ = true;
        table_.pressures.push_back(kMissing);
    } else if (!take_node(head, "pressure", table_.pressures)) {
        return false;
    }
    const std::size_t expected = table_.temperatures.size();
    for (std::size_t i = 1; i < fields_.size(); ++i) {
        if (i > expected) {
            return fail(msg::syntax_error, fields_[i].column,
                        "the row holds " + std::to_string(fields_.size() - 1) + " values where the header names " +
                            std::to_string(expected) + " temperatures");
        }
        if (!take_value(fields_[i])) return false;
    }
    if (fields_.size() - 1 < expected) {
        return fail(msg::syntax_error, fields_.back().end_column(),
                    "the row holds " + std::to_string(fields_.size() - 1) + " values where the header names " +
                        std::to_string(expected) + " temperatures");
    }
    ++rows_;
    return true;
}

// A node, appended to `nodes` where it is above the last of them.
bool GridReader::take_node(const Field& field, const char* kind, std::vector<double>& nodes) {
    double node = 0.0;
    switch (take_number(field.text, file_.scratch(), node)) {
        case Number::missing:
            return fail(msg::syntax_error, field.column,
                        std::string("the ") + kind + (field.text.empty() ? " node is missing" : " node is nan") +
                            ": only a value may be missing");
        case Number::no_number:
            return fail(msg::syntax_error, field.column, std::string("the ") + kind + " node is no number");
        case Number::unconvertible:
            return fail(msg::conversion_error, field.column,
                        std::string("the ") + kind +
                            " node cannot be converted: out of range, or malformed after its exponent");
        case Number::value:
            break;
    }
    if (!nodes.empty() && !(node > nodes.back())) {
        return fail(msg::conversion_error, field.column,
                    std::string("the ") + kind + " node is not above the one before: nodes ascend strictly");
    }
    nodes.push_back(node);
    return true;
}

bool GridReader::take_value(const Field& field) {
    double value = kMissing;
    switch (take_number(field.text, file_.scratch(), value)) {
        case Number::no_number:
            return fail(msg::syntax_error, field.column,
                        separator_ == Separator::commas ? "the value is no number, nor nan, nor empty"
                                                        : "the value is no number, nor nan");
        case Number::unconvertible:
            return fail(msg::conversion_error, field.column,
                        "the value cannot be converted: out of range, or malformed after its exponent");
        case Number::missing:
            value = kMissing;
            break;
        case Number::value:
            break;
    }
    table_.values.push_back(value);
    return true;
}

bool GridReader::finish() {
    if (rows_ == 0) return fail_at_end("the file ends before its first data row");
    if (rows_ == 2) {
        return fail_at_end("the file ends after 2 data rows: a table has a single row, along one line, or 3 and more");
    }
    table_.along_one_line = rows_ == 1;
    return true;
}

}  // namespace

bool is_grid_file(InputFile& file, RecordResult& failure) {
    const char* first = nullptr;
    failure = file.peek_nonblank(first);
    if (failure.status != RecordResult::ok) {
        if (failure.status == RecordResult::end_of_file) failure = {RecordResult::ok};
        return false;
    }
    return *first == '#' || is_word(std::string_view(first, 1));
}

bool read_grid_file(InputFile& file, GridFileTable& table, GridFileFailure& failure) {
    return GridReader(file, table, failure).run();
}

}  // namespace logk
