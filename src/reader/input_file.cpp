#include "reader/input_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "messages/catalogue.h"
#include "system/platform.h"

namespace logk {

InputFile::InputFile(int fd, int unit, std::string path, std::size_t initial_buffer)
    : fd_(fd), unit_(unit), path_(std::move(path)), capacity_(initial_buffer) {
    // Allocation failure is left to the first refill, which reports it as
    // message 22 like any other buffer that cannot grow.
    buffer_ = static_cast<char*>(std::malloc(capacity_));
    if (buffer_ == nullptr) capacity_ = 0;
}

InputFile::~InputFile() { std::free(buffer_); }

int InputFile::take_system_error() { return std::exchange(system_error_, 0); }

RecordResult InputFile::next_record() {
    if (ended_) return {RecordResult::end_of_file};
    for (;;) {
        const void* lf = searched_ < data_end_
                             ? std::memchr(buffer_ + searched_, '\n', data_end_ - searched_)
                             : nullptr;
        if (lf != nullptr) {
            std::size_t at = static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_);
            std::size_t end = (at > data_begin_ && buffer_[at - 1] == '\r') ? at - 1 : at;
            return make_record(end, at + 1);
        }
        searched_ = data_end_;
        if (at_end_of_data_) {
            if (data_begin_ == data_end_) {
                ended_ = true;
                return {RecordResult::end_of_file};
            }
            return make_record(data_end_, data_end_);
        }
        RecordResult failure{RecordResult::failed};
        if (!refill(failure)) return failure;
    }
}

RecordResult InputFile::peek_nonblank(const char*& first) {
    if (ended_) return {RecordResult::end_of_file};
    std::size_t looked = 0;  // bytes from data_begin_ on known to be blanks or line ends
    for (;;) {
        for (std::size_t at = data_begin_ + looked; at < data_end_; looked = ++at - data_begin_) {
            const char c = buffer_[at];
            if (c == ' ' || c == '\t' || c == '\n') continue;
            if (c == '\r' && at + 1 == data_end_ && !at_end_of_data_) break;  // the next block tells
            if (c == '\r' && at + 1 < data_end_ && buffer_[at + 1] == '\n') continue;
            first = buffer_ + at;
            return {RecordResult::ok};
        }
        if (at_end_of_data_) return {RecordResult::end_of_file};
        // The refill may move the unread bytes to the front; `looked` counts from them.
        RecordResult failure{RecordResult::failed};
        if (!refill(failure)) return failure;
    }
}

RecordResult InputFile::make_record(std::size_t end, std::size_t next) {
    ++line_;
    record_begin_ = data_begin_;
    record_end_ = end;
    data_begin_ = next;
    searched_ = next;
    if (record_end_ - record_begin_ == 1 && buffer_[record_begin_] == 26) {
        ended_ = true;
        data_end_ = data_begin_;  // nothing after the end marker is ever served
        return {RecordResult::end_of_file};
    }
    return {RecordResult::ok};
}

// Moves the unfinished record to the front, or doubles the buffer when the
// record already fills it.
bool InputFile::make_room() {
    if (data_begin_ > 0) {
        std::size_t kept = data_end_ - data_begin_;
        std::memmove(buffer_, buffer_ + data_begin_, kept);
        searched_ -= data_begin_;
        data_begin_ = 0;
        data_end_ = kept;
        record_begin_ = record_end_ = 0;
        if (data_end_ < capacity_) return true;
    }
    if (capacity_ >= longest_) return false;
    std::size_t grown = capacity_ == 0 ? kInitialBuffer : capacity_ * 2;
    if (grown < capacity_) return false;
    if (grown > longest_) grown = longest_;
    char* bigger = static_cast<char*>(std::realloc(buffer_, grown));
    if (bigger == nullptr) return false;
    buffer_ = bigger;
    capacity_ = grown;
    return true;
}

bool InputFile::refill(RecordResult& failure) {
    if (data_end_ == capacity_ || data_begin_ > 0) {
        if (!make_room()) {
            failure.message = msg::record_too_long;
            return false;
        }
    }
    std::ptrdiff_t got = platform::read_some(fd_, buffer_ + data_end_, capacity_ - data_end_, stop_);
    if (got == -EINTR || (stop_ && stop_())) {
        failure.message = RecordResult::kStopped;
        return false;
    }
    if (got < 0) {
        system_error_ = static_cast<int>(-got);
        failure.message = msg::read_error;
        return false;
    }
    if (got == 0) at_end_of_data_ = true;
    data_end_ += static_cast<std::size_t>(got);
    return true;
}

}  // namespace logk
