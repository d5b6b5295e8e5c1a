// The example table shipped with the program, loaded for the library's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "logk/logk.hpp"

namespace logk::testing {

inline Table example_table() {
    const Read<Table> read = Table::load(std::string(LOGK_SOURCE_DIR) + "/examples/quartz.dat");
    EXPECT_TRUE(read) << read.error.text;
    return *read.value;
}

}  // namespace logk::testing
