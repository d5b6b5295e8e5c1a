#include "support/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <stdexcept>

namespace logk::testing {

int memory_file(std::string_view content) {
    int fd = ::memfd_create("logk-test", 0);
    if (fd < 0) throw std::runtime_error("memfd_create failed");
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n <= 0) throw std::runtime_error("write to memfd failed");
        done += static_cast<std::size_t>(n);
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

}  // namespace logk::testing
