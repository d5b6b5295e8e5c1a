#include "messages/catalogue.h"

#include <array>
#include <cerrno>
#include <initializer_list>

#include "system/platform.h"

namespace logk {
namespace {

using enum FailureKind;
constexpr std::array<CatalogueEntry, 13> kCatalogue = {{
    {msg::permission_denied, Severity::severe, "permission to access file denied, unit %d, file %s", permission,
     "permission to read the file is denied"},
    {msg::record_too_long, Severity::severe, "input record too long, unit %d, file %s", notation,
     "a line is too long"},
    {msg::end_of_file_during_read, Severity::severe, "end-of-file during read, unit %d, file %s", notation,
     "the file ends before its 37 x 36 values (or inside a quote or parenthesis)"},
    {msg::file_not_found, Severity::severe, "file not found, unit %d, file %s", not_found, "no such file"},
    {msg::open_failure, Severity::severe, "open failure, unit %d, file %s", other, "the file cannot be opened"},
    {msg::write_error, Severity::severe, "error during write, unit %d, file %s", other, "the file could not be written"},
    {msg::read_error, Severity::severe, "error during read, unit %d, file %s", other, "the file could not be read"},
    {msg::no_such_device, Severity::severe, "no such device, unit %d, file %s", other, "no such device"},
    {msg::name_error, Severity::severe, "file name specification error, unit %d, file %s", other,
     "the path cannot be used (too long, or too many links)"},
    {msg::write_to_read_only, Severity::severe, "write to READONLY file, unit %d, file %s", permission,
     "the file may only be read"},
    {msg::syntax_error, Severity::severe, "list-directed I/O syntax error, unit %d, file %s", notation,
     "a character that is no part of a number"},
    {msg::conversion_error, Severity::severe, "input conversion error, unit %d, file %s", notation,
     "a value that cannot be converted (out of range, malformed after its exponent, or quoted text)"},
    {msg::aborting_on_event, Severity::error, "program aborting due to %s event", other, "the run was interrupted"},
}};

const CatalogueEntry* find_entry(int number) {
    for (const CatalogueEntry& entry : kCatalogue) {
        if (entry.number == number) return &entry;
    }
    return nullptr;
}

const char* severity_prefix(Severity severity) {
    switch (severity) {
        case Severity::info: return "runlib: info";
        case Severity::error: return "runlib: error";
        case Severity::severe: return "runlib: severe";
        case Severity::success: break;
    }
    return "runlib";
}

// Fills the %d and %s of a catalogue text, in order.
std::string fill_in(const char* text, std::initializer_list<std::string_view> values) {
    std::string out;
    const std::string_view* value = values.begin();
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '%' && (p[1] == 'd' || p[1] == 's') && value != values.end()) {
            out += *value++;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

// "%s (%i): %s": severity prefix, message number, catalogue text.
std::string message_line(const CatalogueEntry& entry, std::initializer_list<std::string_view> values) {
    return std::string(severity_prefix(entry.severity)) + " (" + std::to_string(entry.number) +
           "): " + fill_in(entry.text, values) + "\n";
}

}  // namespace

const CatalogueEntry& catalogue_entry(int number) {
    const CatalogueEntry* entry = find_entry(number);
    return entry != nullptr ? *entry : kCatalogue[4];  // unreachable for the numbers in msg::; "open failure"
}

FailureKind failure_kind(int number) {
    const CatalogueEntry* entry = find_entry(number);
    return entry != nullptr ? entry->kind : FailureKind::other;
}

const char* failure_meaning(int number) {
    const CatalogueEntry* entry = find_entry(number);
    return entry != nullptr ? entry->meaning : nullptr;
}

std::uint32_t status_code(int number) {
    const CatalogueEntry& entry = catalogue_entry(number);
    return (static_cast<std::uint32_t>(entry.severity) << 30) |
           (static_cast<std::uint32_t>(number) & 0xFFFFu);
}

std::string file_message_line(int number, int unit, std::string_view path) {
    return message_line(catalogue_entry(number), {std::to_string(unit), path});
}

std::string event_message_line(std::string_view event) {
    return message_line(catalogue_entry(msg::aborting_on_event), {event});
}

std::string system_error_line(int error) { return "runlib: " + platform::error_text(error) + "\n"; }

std::string detail_line(std::string_view detail) { return "runlib: " + std::string(detail) + "\n"; }

int open_failure_message(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return msg::file_not_found;
        case EACCES:
        case EPERM:
        case EROFS:
            return msg::permission_denied;
        case ENXIO:
        case ENODEV:
            return msg::no_such_device;
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL:
            return msg::name_error;
        default:
            return msg::open_failure;
    }
}

}  // namespace logk
