#include "support/exact_field.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace logk::testing {

std::string exact_number_field(double x, int width) {
    if (!std::isfinite(x) || (x != 0 && std::fabs(x) < std::numeric_limits<double>::min())) return "";
    // A double has at most 1074 binary places, so 1100 decimal places are exact.
    std::string exact(1500, '\0');
    exact.resize(static_cast<std::size_t>(std::snprintf(exact.data(), exact.size(), "%.1100f", std::fabs(x))));
    const std::size_t point = exact.find('.');
    std::string digits = exact.substr(0, point) + exact.substr(point + 1, 3);
    if (exact[point + 4] >= '5') {  // at or above the half: away from zero
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    std::string whole = digits.substr(0, digits.size() - 3);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    std::string text = whole + "." + digits.substr(digits.size() - 3);
    if (std::signbit(x) && text != "0.000") text = "-" + text;
    const std::size_t w = static_cast<std::size_t>(width);
    if (text.size() > w) return std::string(w, '*');
    return std::string(w - text.size(), ' ') + text;
}

}  // namespace logk::testing
