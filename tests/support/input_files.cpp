#include "support/input_files.h"

#include <cstdio>

namespace logk::testing {

std::string table_text(const std::function<double(int, int)>& value) {
    std::string text;
    char number[40];
    for (int I = 1; I <= 37; ++I) {
        for (int J = 1; J <= 36; ++J) {
            std::snprintf(number, sizeof number, "%s%.17g", J == 1 ? "" : " ", value(I, J));
            text += number;
        }
        text += '\n';
    }
    return text;
}

std::string uniform_table(double value) {
    return table_text([value](int, int) { return value; });
}

}  // namespace logk::testing
