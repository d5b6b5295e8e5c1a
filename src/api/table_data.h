// What a logk::Table shares between its copies: the table, never changed
// once made.
#pragma once

#include "grid/logk_table.h"
#include "logk/logk.hpp"

namespace logk {

struct TableData {
    LogKTable LOGK;
};

}  // namespace logk
