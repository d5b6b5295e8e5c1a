// Any double, in both field widths, against the exact decimal reference.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "result/number_field.h"
#include "support/exact_field.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double)) return 0;
    double x;
    std::memcpy(&x, data, sizeof x);
    for (int width : {8, 12}) {
        std::string field(static_cast<std::size_t>(width), '?');
        logk::format_number_field(x, width, field.data());
        const std::string expected = logk::testing::exact_number_field(x, width);
        if (!expected.empty() && field != expected) std::abort();
        if (field.find('?') != std::string::npos) std::abort();
    }
    return 0;
}
