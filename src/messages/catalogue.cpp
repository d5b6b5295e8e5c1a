#include "messages/catalogue.h"

#include <array>
#include <cerrno>
#include <initializer_list>

#include "system/platform.h"

namespace logk {
namespace {

constexpr std::array<CatalogueEntry, 13> kCatalogue = {{
    {msg::permission_denied, Severity::severe, "permission to access file denied, unit %d, file %s"},
    {msg::record_too_long, Severity::severe, "input record too long, unit %d, file %s"},
    {msg::end_of_file_during_read, Severity::severe, "end-of-file during read, unit %d, file %s"},
    {msg::file_not_found, Severity::severe, "file not found, unit %d, file %s"},
    {msg::open_failure, Severity::severe, "open failure, unit %d, file %s"},
    {msg::write_error, Severity::severe, "error during write, unit %d, file %s"},
    {msg::read_error, Severity::severe, "error during read, unit %d, file %s"},
    {msg::no_such_device, Severity::severe, "no such device, unit %d, file %s"},
    {msg::name_error, Severity::severe, "file name specification error, unit %d, file %s"},
    {msg::write_to_read_only, Severity::severe, "write to READONLY file, unit %d, file %s"},
    {msg::syntax_error, Severity::severe, "list-directed I/O syntax error, unit %d, file %s"},
    {msg::conversion_error, Severity::severe, "input conversion error, unit %d, file %s"},
    {msg::aborting_on_event, Severity::error, "program aborting due to %s event"},
}};

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
    for (const CatalogueEntry& entry : kCatalogue) {
        if (entry.number == number) return entry;
    }
    return kCatalogue[4];  // unreachable for the numbers in msg::; "open failure" as a fallback
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
