#include "reader/field_scanner.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "messages/catalogue.h"
#include "reader/field_chars.h"
#include "reader/number_conversion.h"
#include "reader/simple_number.h"

namespace logk {
namespace {

constexpr std::size_t kLongestQuotedText = 2049;

enum class Item { value, null, slash, end_of_file, failed };

bool is_truth_letter(char c) { return c == 'T' || c == 't' || c == 'F' || c == 'f'; }
bool is_quote(char c) { return c == '\'' || c == '"'; }

// The everyday point, served in one pass straight from the text read so
// far: two plain numbers at the start of the next line, separated by blanks,
// tabs or one comma, and the whole line read, LF included. What follows the
// second number is ignored, as always. Anything else (null values, repeat
// counts, a value on a later line, the last bytes of the text read) leaves
// P and T untouched and returns false, and the general rules read the line
// as the next record.
bool take_plain_point(InputFile& file, double& P, double& T) {
    const char* p = file.unread_begin();
    const char* const end = file.unread_end();
    if (end - p < kQuickWindow) return false;
    // Every number starts at or before `limit`, so each has its window.
    const char* const limit = end - kQuickWindow;
    auto skip_blanks = [limit](const char*& at) {
        while (is_blank(*at)) {
            if (++at > limit) return false;
        }
        return true;
    };
    double first, second;
    if (!skip_blanks(p) || (p = convert_quick_number(p, first)) == nullptr || !skip_blanks(p)) return false;
    if (*p == ',' && (++p > limit || !skip_blanks(p))) return false;
    if ((p = convert_quick_number(p, second)) == nullptr) return false;
    // A CR is a line end only right before its LF; elsewhere it is text.
    const char* lf = p;
    if (*p != '\n') {
        if (*p == '\r' && p[1] != '\n') return false;
        lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (lf == nullptr) return false;
    }
    file.skip_line(lf);
    P = first;
    T = second;
    return true;
}

// The values in the text from `p` to `end`, a part of one line: a field that
// is no plain number, truth value or repeat count ends the count, as does a
// slash.
std::int64_t values_in(const char* p, const char* end) {
    std::int64_t count = 0;
    for (;;) {
        while (p != end && (is_blank(*p) || *p == ',')) ++p;  // a null value holds none
        if (p == end || *p == '/') return count;
        const char* const stop = field_end(p, end);
        std::string_view field(p, static_cast<std::size_t>(stop - p));
        std::int64_t copies = 1;
        if (const auto star = field.find('*'); star != std::string_view::npos) {
            const std::optional<std::int32_t> repeat = numeric_syntax_message(field.substr(0, star)) == 0
                                                           ? convert_repeat_count(field.substr(0, star))
                                                           : std::nullopt;
            if (!repeat) return count;
            field.remove_prefix(star + 1);
            copies = field.empty() ? 0 : std::max<std::int32_t>(*repeat, 1);
        }
        const bool truth = !field.empty() && (is_truth_letter(field[0]) ||
                                              (field.size() > 1 && field[0] == '.' && is_truth_letter(field[1])));
        if (!field.empty() && !truth && numeric_syntax_message(field) != 0) return count;
        count += copies;
        p = stop;
    }
}

// The scanner state of one request; nothing of it outlives the request.
class Request {
public:
    Request(InputFile& file, bool end_allowed) : file_(file), end_allowed_(end_allowed) {}

    ReadOutcome run(std::span<double* const> destinations);

    // The values the request left on its last line, and all that line holds.
    std::int64_t left_on_line() const { return (repeat_null_ ? 0 : repeat_left_) + values_in(pos_, end_); }
    std::int64_t on_line() const { return values_in(file_.record_begin(), file_.record_end()); }
    std::int64_t null_line() const { return null_line_; }

private:
    Item take_next(double& value);
    Item take_item(double& value);
    Item take_repeated(const char* star, double& value);
    Item take_single(double& value);
    Item take_numeric(double& value);
    Item take_truth(double& value);
    Item take_quoted();
    Item take_pair(double& value);
    Item skip_second_number();

    bool next_record(Item& stop);
    bool skip_blanks(Item& stop);
    // A failure where the scanner stands in the current line.
    Item fail(int message) {
        column_ = (pos_ - file_.record_begin()) + 1;
        return fail_outside_line(message);
    }
    // A failure at the end of the file or in reading a line.
    Item fail_outside_line(int message) {
        message_ = message;
        return Item::failed;
    }

    InputFile& file_;
    bool end_allowed_;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    int message_ = 0;
    std::int64_t column_ = 0;

    std::int32_t repeat_left_ = 0;
    bool repeat_null_ = false;
    double repeat_value_ = 0.0;
    // A comma before the first value of a request is a null value.
    bool comma_taken_ = true;
    std::int64_t null_line_ = 0;  // of the first null value or slash that left a destination as it was
};

ReadOutcome Request::run(std::span<double* const> destinations) {
    Item stop = Item::value;
    if (!next_record(stop)) destinations = {};
    for (double* destination : destinations) {
        double value = 0.0;
        stop = take_next(value);
        if (stop == Item::value) {
            *destination = value;
            continue;
        }
        if ((stop == Item::null || stop == Item::slash) && null_line_ == 0) null_line_ = file_.line();
        if (stop != Item::null) break;
    }
    switch (stop) {
        case Item::end_of_file:
            if (end_allowed_) return {ReadOutcome::end_of_file};
            return {ReadOutcome::failed, msg::end_of_file_during_read};
        case Item::failed:
            return {ReadOutcome::failed, message_, column_};
        default:
            return {ReadOutcome::complete};
    }
}

bool Request::next_record(Item& stop) {
    RecordResult record = file_.next_record();
    if (record.status == RecordResult::ok) {
        pos_ = file_.record_begin();
        end_ = file_.record_end();
        return true;
    }
    stop = record.status == RecordResult::end_of_file ? Item::end_of_file : fail_outside_line(record.message);
    return false;
}

// Skips blanks and tabs, reading on over record ends: a line end separates
// values exactly as a blank does.
bool Request::skip_blanks(Item& stop) {
    for (;;) {
        while (pos_ != end_ && is_blank(*pos_)) ++pos_;
        if (pos_ != end_) return true;
        if (!next_record(stop)) return false;
    }
}

Item Request::take_next(double& value) {
    if (repeat_left_ > 0) {
        --repeat_left_;
        if (repeat_null_) return Item::null;
        value = repeat_value_;
        return Item::value;
    }
    for (;;) {
        Item stop;
        if (!skip_blanks(stop)) return stop;
        if (*pos_ == '/') return Item::slash;
        if (*pos_ != ',') break;
        ++pos_;
        // The first comma after a value separates; any further one is a null
        // value that serves as its own separator.
        if (comma_taken_) return Item::null;
        comma_taken_ = true;
    }
    comma_taken_ = false;
    return take_item(value);
}

Item Request::take_item(double& value) {
    char c = *pos_;
    bool dotted_truth = c == '.' && pos_ + 1 != end_ && is_truth_letter(pos_[1]);
    if (c == '(' || c == ')' || is_quote(c) || is_truth_letter(c) || dotted_truth) return take_single(value);
    if (const char* stop = convert_simple_numeric(pos_, end_, value)) {
        pos_ = stop;
        return Item::value;
    }
    const char* field_stop = field_end(pos_, end_);
    const void* star = std::memchr(pos_, '*', static_cast<std::size_t>(field_stop - pos_));
    if (star == nullptr) return take_numeric(value);
    return take_repeated(static_cast<const char*>(star), value);
}

// 'r*v' stands for r copies of v and 'r*' for r null values; the count
// includes the current destination, and a count below one acts as one.
Item Request::take_repeated(const char* star, double& value) {
    std::string_view count_text(pos_, static_cast<std::size_t>(star - pos_));
    if (count_text.empty() || numeric_syntax_message(count_text) != 0) return fail(msg::syntax_error);
    std::optional<std::int32_t> count = convert_repeat_count(count_text);
    if (!count) return fail(msg::conversion_error);
    pos_ = star + 1;

    Item first = Item::null;
    if (pos_ != end_ && *pos_ == ',') {
        ++pos_;  // used up as the separator of the null values
        comma_taken_ = true;
    } else if (pos_ != end_ && !is_blank(*pos_) && *pos_ != '/') {
        first = take_single(value);
        if (first == Item::failed || first == Item::end_of_file) return first;
    }
    repeat_left_ = std::max<std::int32_t>(*count, 1) - 1;
    repeat_null_ = first == Item::null;
    repeat_value_ = value;
    return first;
}

// One value at pos_ that carries no repeat count of its own.
Item Request::take_single(double& value) {
    char c = *pos_;
    if (c == '(') return take_pair(value);
    if (c == ')') return fail(msg::syntax_error);
    if (is_quote(c)) return take_quoted();
    if (is_truth_letter(c)) return take_truth(value);
    if (c == '.' && pos_ + 1 != end_ && is_truth_letter(pos_[1])) return take_truth(value);
    return take_numeric(value);
}

Item Request::take_numeric(double& value) {
    const char* stop = field_end(pos_, end_);
    std::string_view field(pos_, static_cast<std::size_t>(stop - pos_));
    if (numeric_syntax_message(field) != 0) return fail(msg::syntax_error);
    std::optional<double> converted = convert_numeric(field, file_.scratch());
    if (!converted) return fail(msg::conversion_error);
    value = *converted;
    pos_ = stop;
    return Item::value;
}

// 'T', '.true.', 'Tuesday' -> -1.0; 'f', '.false.' -> 0.0: only the first
// letter counts, the rest of the field is passed over.
Item Request::take_truth(double& value) {
    char letter = *pos_ == '.' ? pos_[1] : *pos_;
    value = (letter == 'T' || letter == 't') ? -1.0 : 0.0;
    pos_ = field_end(pos_, end_);
    return Item::value;
}

// Quoted text is never a number: the request fails once the closing quote
// has been read. The text may run over record ends; a doubled quote stands
// for one quote character.
Item Request::take_quoted() {
    const char quote = *pos_++;
    std::size_t length = 0;
    for (;;) {
        if (pos_ == end_) {
            Item stop;
            if (!next_record(stop)) {
                return stop == Item::end_of_file ? fail_outside_line(msg::end_of_file_during_read) : stop;
            }
            continue;
        }
        if (*pos_++ == quote) {
            if (pos_ == end_ || *pos_ != quote) return fail(msg::conversion_error);
            ++pos_;
        }
        if (++length > kLongestQuotedText) return fail(msg::syntax_error);
    }
}

// '(x, y)': x is stored, y is read over. Blanks and record ends may follow
// '(' and x; from the comma on, y and ')' follow without a gap. y is the
// plainest form of a number: its exponent letter takes digits but no sign,
// so '(1,2E3)' and '(1,2E)' are pairs and '(1,2E+3)' is a syntax error.
Item Request::take_pair(double& value) {
    ++pos_;
    Item stop;
    if (!skip_blanks(stop)) return stop == Item::end_of_file ? fail_outside_line(msg::end_of_file_during_read) : stop;
    if (take_numeric(value) == Item::failed) return Item::failed;
    if (!skip_blanks(stop)) return stop == Item::end_of_file ? fail_outside_line(msg::end_of_file_during_read) : stop;
    return skip_second_number();
}

Item Request::skip_second_number() {
    auto digits = [this] {
        const char* from = pos_;
        while (pos_ != end_ && char_class(*pos_) == CharClass::digit) ++pos_;
        return pos_ != from;
    };
    auto take = [this](CharClass cls) {
        if (pos_ == end_ || char_class(*pos_) != cls) return false;
        ++pos_;
        return true;
    };
    if (pos_ == end_ || *pos_++ != ',') return fail(msg::syntax_error);
    take(CharClass::sign);
    if (!digits()) return fail(msg::syntax_error);
    if (take(CharClass::point)) digits();
    if (take(CharClass::exponent)) digits();
    if (pos_ == end_ || *pos_++ != ')') return fail(msg::syntax_error);
    return Item::value;
}

// A request that counts what its last line holds, for the library.
ReadOutcome counted_request(InputFile& file, std::span<double* const> destinations, bool end_allowed) {
    Request request(file, end_allowed);
    ReadOutcome outcome = request.run(destinations);
    if (outcome.status == ReadOutcome::complete) {
        outcome.values_on_line = request.on_line();
        outcome.values_left_on_line = request.left_on_line();
        outcome.null_line = request.null_line();
    }
    return outcome;
}

// The end of the line that starts at `p` in the text up to `end`, its line
// end excluded (a CR only before its LF), and the start of the next; nullptr
// where the text holds no LF.
const char* whole_line_end(const char* p, const char* end, const char*& next) {
    const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (lf == nullptr) return nullptr;
    next = lf + 1;
    return lf > p && lf[-1] == '\r' ? lf - 1 : lf;
}

}  // namespace

std::int64_t first_line_holding_values(InputFile& file, bool read_on) {
    constexpr char kEndOfFileMark = 26;  // a line of this byte alone ends the file
    if (read_on) {
        while (file.next_record().status == RecordResult::ok) {
            if (values_in(file.record_begin(), file.record_end()) > 0) return file.line();
        }
        return 0;
    }
    std::int64_t line = file.line();
    const char* next = file.unread_begin();
    for (const char* p = next; const char* stop = whole_line_end(p, file.unread_end(), next); p = next) {
        ++line;
        if (stop - p == 1 && *p == kEndOfFileMark) return 0;
        if (values_in(p, stop) > 0) return line;
    }
    return 0;
}

ReadOutcome read_values(InputFile& file, std::span<double* const> destinations, bool end_allowed,
                        bool count_left) {
    if (count_left) return counted_request(file, destinations, end_allowed);
    if (destinations.size() == 2 && take_plain_point(file, *destinations[0], *destinations[1])) {
        return {ReadOutcome::complete};
    }
    return Request(file, end_allowed).run(destinations);
}

}  // namespace logk
