// An input file divided into records (lines).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "system/platform.h"

namespace logk {

// How the next record turned out. On `failed`, `message` holds the message
// number: 22 when the record buffer cannot grow, 39 when the system read
// fails (the errno is then kept in the file, see take_system_error), and
// kStopped when the file's stop check gave up.
struct RecordResult {
    enum Status { ok, end_of_file, failed } status;
    int message = 0;
    static constexpr int kStopped = 0;  // no message of the program's: only a caller stops a read
};

// Serves the records of one open file from a buffer that is refilled in
// blocks as large as its free part and doubles when a line does not fit, so
// that no line is too long for the program, which has its memory to
// itself. The library runs inside someone's model, and sets a limit.
//
// A record is the text up to the next LF; a CR directly before the LF is
// dropped; a last line without LF is still a record; a record that is the
// single byte 26 ends the file. Every other byte is data.
class InputFile {
public:
    static constexpr std::size_t kInitialBuffer = 128 * 1024;

    // Reads from an open descriptor, which the run closes at its end; `unit`
    // and `path` name the file in messages.
    InputFile(int fd, int unit, std::string path, std::size_t initial_buffer = kInitialBuffer);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // A line of `longest` bytes or more, line end excluded, fails with
    // message 22 (at the latest once `longest` bytes of it are read), so
    // that a file with no line end cannot take all memory.
    void set_longest_line(std::size_t longest) { longest_ = longest; }

    // Asked after every block read and when a signal interrupts a read;
    // true fails the read with kStopped.
    void set_stop(platform::StopCheck stop) { stop_ = std::move(stop); }

    // Drops what is left of the current record and makes the next one current.
    RecordResult next_record();

    // Reads ahead, serving nothing, until the bytes read but not yet served
    // hold the first one that is neither a blank (space, tab) nor a line end
    // (LF, or a CR directly before it): where the text of the first line
    // that is not blank begins. `first` then points at it, until the next
    // record or peek:
    //   "\n \t x" -> 'x'      "\r\n#" -> '#'      " \rx" -> '\r' (text: no LF follows)
    // end_of_file where there is none: an empty file, or blank lines only;
    // failed as next_record fails. The records are served afterwards exactly
    // as without the peek, with the same line numbers; so the blank lines
    // stay in the buffer, and count against the longest line (message 22)
    // as one line would. The current record's text is dropped, as by
    // next_record.
    RecordResult peek_nonblank(const char*& first);

    const char* record_begin() const { return buffer_ + record_begin_; }
    const char* record_end() const { return buffer_ + record_end_; }

    // The bytes read but not yet served as records; none once the file has
    // ended. A reader that finds the whole next line there, LF included, and
    // is done with it may pass over it with skip_line instead of taking it
    // with next_record. (A line read that way is never the lone byte 26
    // that ends the file: it holds numbers.)
    const char* unread_begin() const { return buffer_ + data_begin_; }
    const char* unread_end() const { return buffer_ + data_end_; }
    void skip_line(const char* lf) {
        data_begin_ = searched_ = static_cast<std::size_t>(lf + 1 - buffer_);
        ++line_;
    }

    // The number of lines served or skipped so far: the current line's, from 1.
    std::int64_t line() const { return line_; }

    int unit() const { return unit_; }
    const std::string& path() const { return path_; }

    // Working space for rewriting numeric fields, kept with the file so that
    // reading allocates nothing once it has grown.
    std::string& scratch() { return scratch_; }

    // The errno of the last failed system call on this file, or 0; reading
    // it clears it.
    int take_system_error();

private:
    bool make_room();
    bool refill(RecordResult& failure);
    RecordResult make_record(std::size_t end, std::size_t next);

    int fd_;
    int unit_;
    std::string path_;
    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t data_begin_ = 0;  // first byte not yet part of a record
    std::size_t data_end_ = 0;    // end of the bytes read so far
    std::size_t searched_ = 0;    // no LF in [data_begin_, searched_)
    std::size_t record_begin_ = 0;
    std::size_t record_end_ = 0;
    bool at_end_of_data_ = false;  // the system reported the end of the file
    bool ended_ = false;           // no record is left
    int system_error_ = 0;
    std::int64_t line_ = 0;
    std::string scratch_;
    std::size_t longest_ = static_cast<std::size_t>(-1);
    platform::StopCheck stop_;
};

}  // namespace logk
