#include "grid/grid.h"

#include <gtest/gtest.h>

#include "grid/logk_table.h"

namespace logk {
namespace {

TEST(Grid, NodesAtTheirIndices) {
    struct Row {
        int index;
        double node;
    };
    for (const Row& row : {Row{1, 1.0}, {2, 1.0133}, {3, 2.321}, {12, 165.212}, {13, 200.0},
                           {29, 1000.0}, {30, 1500.0}, {36, 4500.0}, {37, 5000.0}}) {
        EXPECT_EQ(PGRID(row.index), row.node) << row.index;
    }
    for (const Row& row : {Row{1, 0.01}, {2, 25.0}, {15, 350.0}, {16, 400.0}, {17, 410.0}, {36, 600.0}}) {
        EXPECT_EQ(TGRID(row.index), row.node) << row.index;
    }
}

TEST(Grid, TableIsPressureFirstAndStartsAtZero) {
    LogKTable table;
    for (int I = 1; I <= kPressureNodes; ++I) {
        for (int J = 1; J <= kTemperatureNodes; ++J) EXPECT_EQ(table(I, J), 0.0);
    }
    table(2, 1) = 5.0;
    table(1, 2) = 7.0;
    EXPECT_EQ(LogKTable::offset(37, 36), 1331u);
    EXPECT_EQ(&table(2, 1) - &table(1, 1), 1);
    EXPECT_EQ(&table(1, 2) - &table(1, 1), 37);
}

}  // namespace
}  // namespace logk
