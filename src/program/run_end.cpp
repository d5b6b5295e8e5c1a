#include "program/run_end.h"

#include "messages/catalogue.h"
#include "system/platform.h"

namespace logk {

void stop_run(int message, int unit, std::string_view path, int system_error) {
    if (system_error != 0) platform::write_error_stream(system_error_line(system_error));
    platform::write_error_stream(file_message_line(message, unit, path));
    platform::close_tracked_files();
    platform::exit_process(status_code(message));
}

void stop_run_saying(int message, int unit, std::string_view path, std::string_view detail) {
    platform::write_error_stream(detail_line(detail));
    platform::write_error_stream(file_message_line(message, unit, path));
    platform::close_tracked_files();
    platform::exit_process(status_code(message));
}

void end_run() { platform::close_tracked_files(); }

}  // namespace logk
