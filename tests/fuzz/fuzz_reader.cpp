// Arbitrary bytes as quartz.dat or PT.dat, served through read_values until
// the file ends or a request fails. Every run must end in complete,
// end_of_file or a message the reader can raise.
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "reader/field_scanner.h"
#include "reader/input_file.h"

namespace {

bool catalogued(int message) {
    switch (message) {
        case 22: case 24: case 39: case 59: case 64: return true;
        default: return false;
    }
}

int memory_file(const std::uint8_t* data, std::size_t size) {
    int fd = ::memfd_create("fuzz", 0);
    if (fd < 0) std::abort();
    for (std::size_t done = 0; done < size;) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

// The second request of a point file (by then the buffer holds text, and
// a line of plain numbers is taken in one pass), read as a point and as the
// first two of five values (always by the general rules): the same values,
// or the same failure.
void compare_second_point(int fd, std::size_t buffer) {
    std::array<std::array<double, 5>, 2> values{};
    std::array<logk::ReadOutcome, 2> outcomes{};
    for (std::size_t way = 0; way < 2; ++way) {
        ::lseek(fd, 0, SEEK_SET);
        logk::InputFile file(fd, 12, "/fuzz/file", buffer);
        std::array<double*, 5> destinations{};
        for (std::size_t i = 0; i < 5; ++i) destinations[i] = &values[way][i];
        const logk::ReadOutcome first = logk::read_values(file, {destinations.data(), 2}, true);
        if (first.status != logk::ReadOutcome::complete) return;
        values[way] = {};
        outcomes[way] = logk::read_values(file, {destinations.data(), way == 0 ? 2u : 5u}, true);
    }
    if (outcomes[0].status == logk::ReadOutcome::complete) {
        if (std::memcmp(values[0].data(), values[1].data(), 2 * sizeof(double)) != 0) std::abort();
    } else if (outcomes[0].status != outcomes[1].status || outcomes[0].message != outcomes[1].message) {
        std::abort();
    }
}

}  // namespace

// The first byte picks the file and a small buffer size, so that records
// cross buffer refills and doublings; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool table = data[0] & 1;
    const std::size_t buffer = 1 + (data[0] >> 1);
    int fd = memory_file(data + 1, size - 1);
    {
        logk::InputFile file(fd, table ? 11 : 12, "/fuzz/file", buffer);
        std::array<double, 36> values{};
        std::array<double*, 36> destinations{};
        for (std::size_t i = 0; i < values.size(); ++i) destinations[i] = &values[i];
        const std::size_t count = table ? 36 : 2;
        // Every request takes at least one record, so this ends.
        for (std::size_t request = 0;; ++request) {
            logk::ReadOutcome outcome = logk::read_values(file, {destinations.data(), count}, !table);
            if (outcome.status == logk::ReadOutcome::failed) {
                if (!catalogued(outcome.message)) std::abort();
                break;
            }
            if (outcome.status == logk::ReadOutcome::end_of_file) {
                if (table) std::abort();  // the table request turns the end into message 24
                break;
            }
            if (table && request == 36) break;
        }
    }
    if (!table) compare_second_point(fd, buffer);
    ::close(fd);
    return 0;
}
