// The library gives the program's results to the bit: on 100,000 and more
// points, the lines that format_line makes from the C++ interface's results
// equal the program's logk.out line for line, and the C interface and the
// batch form give the same bits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "api/table_data.h"
#include "api/table_set_data.h"
#include "logk/grid.hpp"
#include "logk/logk.h"
#include "logk/logk.hpp"
#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

double table_value(int I, int J) { return -4.25 + 0.013 * J - 0.0021 * I + 1e-4 * ((I * 13 + J * 7) % 17); }

double up(double x) { return std::nextafter(x, std::numeric_limits<double>::infinity()); }
double down(double x) { return std::nextafter(x, -std::numeric_limits<double>::infinity()); }

// Every value that decides something, and its neighbouring doubles.
std::vector<double> edges(std::vector<double> thresholds) {
    std::vector<double> values;
    for (double x : thresholds) values.insert(values.end(), {down(x), x, up(x)});
    return values;
}

struct Points {
    std::vector<double> P;
    std::vector<double> T;
};

Points generated_points() {
    std::vector<double> pressure_thresholds = {0.0, 1.013, 5000.0, 6000.0};
    for (double p : PGRID) pressure_thresholds.push_back(p);
    std::vector<double> temperature_thresholds = {0.01, 700.0};
    for (double t : TGRID) temperature_thresholds.push_back(t);
    std::vector<double> pressures = edges(pressure_thresholds);
    std::vector<double> temperatures = edges(temperature_thresholds);
    for (double extra : {-0.0, 1e-310, -9999.9, -1.0, 1e6}) {
        pressures.push_back(extra);
        temperatures.push_back(extra);
    }
    Points points;
    for (double P : pressures) {  // every threshold of one against every one of the other
        for (double T : temperatures) {
            points.P.push_back(P);
            points.T.push_back(T);
        }
    }
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> log_pressure(std::log(0.5), std::log(6500.0));
    std::uniform_real_distribution<double> pressure(0.5, 6500.0);
    std::uniform_real_distribution<double> temperature(-5.0, 720.0);
    while (points.P.size() < 100000) {
        points.P.push_back(points.P.size() % 2 ? std::exp(log_pressure(random)) : pressure(random));
        points.T.push_back(temperature(random));
    }
    return points;
}

TEST(SameBits, LibraryLinesAreTheProgramsLines) {
    const Points points = generated_points();
    Workdir dir;
    dir.write("quartz.dat", table_text(table_value));
    std::string list;
    char line[80];
    for (std::size_t i = 0; i < points.P.size(); ++i) {
        std::snprintf(line, sizeof line, "%.17g %.17g\n", points.P[i], points.T[i]);
        list += line;
    }
    dir.write("PT.dat", list);
    const RunResult run = run_logk(dir);
    ASSERT_EQ(run.exit_status, 0) << run.error_text;
    const std::string out = dir.read("logk.out");
    ASSERT_EQ(out.size(), 70 + 73 * points.P.size());

    const Read<Table> loaded = Table::load(dir.file("quartz.dat"));
    ASSERT_TRUE(loaded) << loaded.error.text;
    const Table& table = *loaded.value;
    const std::size_t n = points.P.size();
    std::vector<double> LK(n);
    std::vector<int> PIDX(n), TIDX(n);
    std::vector<char> ISOERR(n), PTERR(n);
    table.interpolate(points.P, points.T, Outputs{LK, PIDX, TIDX, ISOERR, PTERR, {}, {}});

    logk_error error;
    logk_table* c_table = logk_table_load(dir.file("quartz.dat").c_str(), &error);
    ASSERT_NE(c_table, nullptr) << error.text;
    std::vector<double> c_LK(n);
    std::vector<int> c_PIDX(n), c_TIDX(n);
    std::vector<char> c_ISOERR(n), c_PTERR(n);
    logk_interpolate(c_table, n, points.P.data(), points.T.data(), c_LK.data(), c_PIDX.data(), c_TIDX.data(),
                     c_ISOERR.data(), c_PTERR.data());
    logk_table_free(c_table);

    for (std::size_t i = 0; i < n; ++i) {
        const Interpolation one = table.interpolate(points.P[i], points.T[i]);
        ASSERT_EQ(format_line(points.P[i], points.T[i], one), out.substr(70 + 73 * i, 71))
            << std::hexfloat << "P " << points.P[i] << " T " << points.T[i];
        const Interpolation batch{LK[i], PIDX[i], TIDX[i], ISOERR[i], PTERR[i]};
        const Interpolation c{c_LK[i], c_PIDX[i], c_TIDX[i], c_ISOERR[i], c_PTERR[i]};
        for (const Interpolation& other : {batch, c}) {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(other.LK), std::bit_cast<std::uint64_t>(one.LK)) << i;
            ASSERT_EQ(other.PIDX, one.PIDX) << i;
            ASSERT_EQ(other.TIDX, one.TIDX) << i;
            ASSERT_EQ(other.ISOERR, one.ISOERR) << i;
            ASSERT_EQ(other.PTERR, one.PTERR) << i;
        }
    }
}

// Every output of the batch loop, each in an array of its own.
struct Results {
    std::vector<double> LK, dLK_dT, dLK_dP;
    std::vector<int> PIDX, TIDX;
    std::vector<char> ISOERR, PTERR;
    Results(std::size_t n, std::size_t count)
        : LK(n * count), dLK_dT(n * count), dLK_dP(n * count), PIDX(n), TIDX(n), ISOERR(n), PTERR(n) {}
    BatchOutputs outputs() {
        return {LK.data(), PIDX.data(), TIDX.data(), ISOERR.data(), PTERR.data(), dLK_dT.data(), dLK_dP.data()};
    }
};

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Every build of the loop this processor can run, with each division it
// can make.
struct BuildAndDivision {
    InstructionSet build;
    Division division;
};
std::vector<BuildAndDivision> every_build_and_division() {
    std::vector<BuildAndDivision> all;
    for (InstructionSet build : available_instruction_sets()) {
        for (Division division : available_divisions(build)) all.push_back({build, division});
    }
    return all;
}

// A result that is NaN is the one quiet NaN, whichever NaN or infinity of
// a cell or point it came from; the paths are then held to its bits.
constexpr std::uint64_t kQuietNaN = 0x7FF8000000000000;
void expect_the_one_nan(std::initializer_list<double> results) {
    for (double x : results) {
        if (std::isnan(x)) {
            ASSERT_EQ(bits(x), kQuietNaN);
        }
    }
}

// Each output of point i is what the one-point route gives the point.
void expect_one_point_results(const Table& table, const std::vector<double>& P, const std::vector<double>& T,
                              const Results& got) {
    for (std::size_t i = 0; i < P.size(); ++i) {
        const Interpolation one = table.interpolate(P[i], T[i]);
        const Slopes slopes = table.slopes(P[i], T[i]);
        expect_the_one_nan({one.LK, slopes.dLK_dT, slopes.dLK_dP});
        ASSERT_EQ(bits(got.LK[i]), bits(one.LK)) << i;
        ASSERT_EQ(got.PIDX[i], one.PIDX) << i;
        ASSERT_EQ(got.TIDX[i], one.TIDX) << i;
        ASSERT_EQ(got.ISOERR[i], one.ISOERR) << i;
        ASSERT_EQ(got.PTERR[i], one.PTERR) << i;
        ASSERT_EQ(bits(got.dLK_dT[i]), bits(slopes.dLK_dT)) << i;
        ASSERT_EQ(bits(got.dLK_dP[i]), bits(slopes.dLK_dP)) << i;
    }
}

// Table r of a made-up set, with a NaN of either sign and with a payload,
// and infinities of both signs, in cells that the points' stencils reach.
LogKTable made_up_table(int r = 0) {
    LogKTable LOGK;
    for (int I = 1; I <= 37; ++I) {
        for (int J = 1; J <= 36; ++J) LOGK(I, J) = table_value(I, J) * (1.0 + 0.1 * r) - 0.37 * r;
    }
    LOGK(19 + r % 3, 13) = std::bit_cast<double>(std::uint64_t{0xFFF8000000000123} - r);
    LOGK(8, 20 + r % 5) = std::bit_cast<double>(std::uint64_t{0x7FF4000000000456});
    LOGK(27, 31 - r % 4) = std::numeric_limits<double>::infinity();
    LOGK(3 + r % 2, 7) = -std::numeric_limits<double>::infinity();
    return LOGK;
}

Table table_of(const LogKTable& LOGK) {
    std::vector<double> values(1332);
    LOGK.get_in_file_order(values.data());
    return Table::from_values(values);
}

// Each build of the batch loop this processor can run gives each point the
// bits of the one-point route, in every output; and the builds tried end
// with the one the library chooses, so that it can never drop out unseen.
TEST(SameBits, EveryInstructionSetAgrees) {
    const Points points = generated_points();
    const LogKTable LOGK = made_up_table();
    const Table table = table_of(LOGK);
    const std::size_t n = points.P.size();
    ASSERT_EQ(available_instruction_sets().back(), best_instruction_set());
    for (InstructionSet set : {InstructionSet::baseline, InstructionSet::avx2, InstructionSet::avx512}) {
        if (set > best_instruction_set()) std::printf("skipped: the %s build, which this processor cannot run\n",
                                                      instruction_set_name(set));
    }
    for (const auto& [set, division] : every_build_and_division()) {
        SCOPED_TRACE(::testing::Message() << instruction_set_name(set) << ", " << division_name(division));
        Results got(n, 1);
        interpolate_points_with(set, division, values_of(LOGK), n, points.P.data(), points.T.data(), got.outputs());
        expect_one_point_results(table, points.P, points.T, got);
    }
}

// Points of every kind in every lane: finite ones on the grid, and those the
// lanes leave to the one-point route (no positive pressure, NaN, infinities,
// the preset -9999.9), at positions that fall on every lane of a vector.
Points mixed_points(std::size_t n) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double odd[] = {-9999.9, 0.0, -1.0, nan, inf, -inf};
    std::mt19937_64 random(18);
    std::uniform_real_distribution<double> pressure(0.5, 6500.0), temperature(-5.0, 720.0);
    Points points;
    for (std::size_t k = 0; k < n; ++k) {
        points.P.push_back(k % 3 == 0 ? odd[k % 6] : pressure(random));
        points.T.push_back(k % 7 == 0 ? odd[(k / 7) % 6] : temperature(random));
    }
    return points;
}

// An output may lie over P or T, as NumPy's out= may be an input: the
// results are those of separate arrays, on every build and on one thread
// or two. Each output in turn lies over each input, at its start and,
// once, three values in.
TEST(SameBits, OutputsOverInputsGiveTheResultsOfSeparateArrays) {
    const LogKTable LOGK = made_up_table();
    const std::size_t n = kLeastValuesForWorkers + 203;  // enough for two threads
    const Points points = mixed_points(n);
    enum Output { LK, dLK_dT, dLK_dP, PIDX, TIDX, ISOERR, PTERR };
    struct Row {
        Output output;
        bool over_T;
        std::size_t shift;  // values of the input before the output's start
    };
    std::vector<Row> rows;
    for (Output output : {LK, dLK_dT, dLK_dP, PIDX, TIDX, ISOERR, PTERR}) {
        for (bool over_T : {false, true}) rows.push_back({output, over_T, 0});
    }
    rows.push_back({LK, false, 3});
    for (InstructionSet set : available_instruction_sets()) {
        Results expected(n, 1);
        interpolate_points_with(set, values_of(LOGK), n, points.P.data(), points.T.data(), expected.outputs());
        for (const Row& row : rows) {
            for (int workers : {1, 2}) {
                SCOPED_TRACE(::testing::Message() << "set " << static_cast<int>(set) << ", output " << row.output
                                                  << (row.over_T ? " over T" : " over P") << ", shift " << row.shift
                                                  << ", workers " << workers);
                std::vector<double> shared = row.over_T ? points.T : points.P;
                shared.resize(n + row.shift);
                Results got(n, 1);
                BatchOutputs outputs = got.outputs();
                void* over = shared.data() + row.shift;
                switch (row.output) {
                    case LK: outputs.LK = static_cast<double*>(over); break;
                    case dLK_dT: outputs.dLK_dT = static_cast<double*>(over); break;
                    case dLK_dP: outputs.dLK_dP = static_cast<double*>(over); break;
                    case PIDX: outputs.PIDX = static_cast<int*>(over); break;
                    case TIDX: outputs.TIDX = static_cast<int*>(over); break;
                    case ISOERR: outputs.ISOERR = static_cast<char*>(over); break;
                    case PTERR: outputs.PTERR = static_cast<char*>(over); break;
                }
                interpolate_points_with(set, values_of(LOGK), n, row.over_T ? points.P.data() : shared.data(),
                                        row.over_T ? shared.data() : points.T.data(), outputs, workers);
                const auto same_bytes = [&](const auto& column, const void* where) {
                    return std::memcmp(column.data(), where, column.size() * sizeof column[0]) == 0;
                };
                EXPECT_TRUE(same_bytes(expected.LK, outputs.LK));
                EXPECT_TRUE(same_bytes(expected.dLK_dT, outputs.dLK_dT));
                EXPECT_TRUE(same_bytes(expected.dLK_dP, outputs.dLK_dP));
                EXPECT_TRUE(same_bytes(expected.PIDX, outputs.PIDX));
                EXPECT_TRUE(same_bytes(expected.TIDX, outputs.TIDX));
                EXPECT_TRUE(same_bytes(expected.ISOERR, outputs.ISOERR));
                EXPECT_TRUE(same_bytes(expected.PTERR, outputs.PTERR));
            }
        }
    }
}

// NaN and infinities cannot be written in PT.dat; the library takes them,
// and every face gives what one point gives, in every output.
TEST(SameBits, ValuesNoFileCanHold) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const LogKTable LOGK = made_up_table();
    const Table table = table_of(LOGK);
    std::vector<double> values(1332);
    LOGK.get_in_file_order(values.data());
    logk_table* c_table = logk_table_from_values(values.data(), nullptr);
    ASSERT_NE(c_table, nullptr);
    std::vector<double> P, T;
    for (double p : {nan, -nan, inf, -inf, 500.0, 1e300}) {
        for (double t : {nan, inf, -inf, 300.0, 650.0, -1e300}) {
            P.push_back(p);
            T.push_back(t);
        }
    }
    const std::size_t n = P.size();
    Results batch(n, 1), c(n, 1);
    table.interpolate(P, T, Outputs{batch.LK, batch.PIDX, batch.TIDX, batch.ISOERR, batch.PTERR, batch.dLK_dT,
                                    batch.dLK_dP});
    expect_one_point_results(table, P, T, batch);
    logk_interpolate(c_table, n, P.data(), T.data(), c.LK.data(), c.PIDX.data(), c.TIDX.data(), c.ISOERR.data(),
                     c.PTERR.data());
    logk_slopes(c_table, n, P.data(), T.data(), c.dLK_dT.data(), c.dLK_dP.data());
    logk_table_free(c_table);
    expect_one_point_results(table, P, T, c);
}

// Each table of a set of every count from 1 to 17 (every form of the
// loop: each width of the lanes, and every number of tables left after
// whole vectors) gives each point the bits of its own table's one-point
// route, in every output, on every build, NaN included; also with log K
// over P and the stencil over T.
TEST(SameBits, EveryTableOfASetAgreesWithItsOwnTable) {
    Points points = generated_points();
    const Points odd = mixed_points(300);  // NaN, infinities and no pressure, in every lane
    points.P.insert(points.P.end(), odd.P.begin(), odd.P.end());
    points.T.insert(points.T.end(), odd.T.begin(), odd.T.end());
    const std::size_t n = points.P.size();
    constexpr std::size_t kMost = 17;
    std::vector<LogKTable> tables;
    std::vector<Results> expected;
    for (std::size_t r = 0; r < kMost; ++r) {
        tables.push_back(made_up_table(static_cast<int>(r)));
        const Table table = table_of(tables[r]);
        Results one(n, 1);
        for (std::size_t i = 0; i < n; ++i) {
            const Interpolation at = table.interpolate(points.P[i], points.T[i]);
            const Slopes slopes = table.slopes(points.P[i], points.T[i]);
            expect_the_one_nan({at.LK, slopes.dLK_dT, slopes.dLK_dP});
            one.LK[i] = at.LK;
            one.PIDX[i] = at.PIDX;
            one.TIDX[i] = at.TIDX;
            one.ISOERR[i] = at.ISOERR;
            one.PTERR[i] = at.PTERR;
            one.dLK_dT[i] = slopes.dLK_dT;
            one.dLK_dP[i] = slopes.dLK_dP;
        }
        expected.push_back(std::move(one));
    }
    Results got(n, kMost);  // once: every call writes every value it is read for
    for (std::size_t count = 1; count <= kMost; ++count) {
        TableSetData set(count);
        for (std::size_t r = 0; r < count; ++r) set.put(r, tables[r]);
        for (const auto& [build, division] : every_build_and_division()) {
            for (bool over_inputs : {false, true}) {
                SCOPED_TRACE(::testing::Message() << count << " tables, build " << static_cast<int>(build) << ", "
                                                  << division_name(division)
                                                  << (over_inputs ? ", outputs over the inputs" : ""));
                BatchOutputs outputs = got.outputs();
                std::vector<double> P = points.P, T = points.T;
                if (over_inputs) {
                    P.resize(n * count);  // log K of the first points over P
                    outputs.LK = P.data();
                    outputs.PIDX = reinterpret_cast<int*>(T.data());
                }
                interpolate_points_with(build, division, set.tables(), n, P.data(), T.data(), outputs);
                // Compared in bulk, the first difference then found: a
                // check a value would take longer than the calls.
                const bool stencils_agree =
                    std::equal(outputs.PIDX, outputs.PIDX + n, expected[0].PIDX.begin()) &&
                    got.TIDX == expected[0].TIDX && got.ISOERR == expected[0].ISOERR && got.PTERR == expected[0].PTERR;
                bool values_agree = stencils_agree;
                for (std::size_t i = 0; i < n && values_agree; ++i) {
                    for (std::size_t r = 0; r < count; ++r) {
                        const std::size_t k = i * count + r;
                        values_agree = values_agree && bits(outputs.LK[k]) == bits(expected[r].LK[i]) &&
                                       bits(got.dLK_dT[k]) == bits(expected[r].dLK_dT[i]) &&
                                       bits(got.dLK_dP[k]) == bits(expected[r].dLK_dP[i]);
                    }
                }
                if (values_agree) continue;
                for (std::size_t i = 0; i < n; ++i) {
                    ASSERT_EQ(outputs.PIDX[i], expected[0].PIDX[i]) << i;
                    ASSERT_EQ(got.TIDX[i], expected[0].TIDX[i]) << i;
                    ASSERT_EQ(got.ISOERR[i], expected[0].ISOERR[i]) << i;
                    ASSERT_EQ(got.PTERR[i], expected[0].PTERR[i]) << i;
                    for (std::size_t r = 0; r < count; ++r) {
                        const std::size_t k = i * count + r;
                        ASSERT_EQ(bits(outputs.LK[k]), bits(expected[r].LK[i])) << i << " table " << r;
                        ASSERT_EQ(bits(got.dLK_dT[k]), bits(expected[r].dLK_dT[i])) << i << " table " << r;
                        ASSERT_EQ(bits(got.dLK_dP[k]), bits(expected[r].dLK_dP[i])) << i << " table " << r;
                    }
                }
            }
        }
    }
}

// Tables of huge, tiny, infinite and NaN values, zeros, subnormal values
// and values at either side of the guards' bounds (2^100, 2^-100), and
// points at either side of the coordinates' (2^50, 2^-50) and beyond:
// every build and division gives each point the bits of the one-point
// route, the divider's, in every output; so do the inverse's loops over
// one stencil, and tables on their own nodes beyond the guards.
TEST(SameBits, ValuesAtTheEndsOfTheDoublesKeepTheDividersBits) {
    const double bound = 0x1p100, least = 0x1p-100;
    const double cells[] = {bound, up(bound), -bound, least, down(least), -least, 0.0, -0.0, 1e-310};
    std::vector<double> coordinates = {0x1p50, up(0x1p50), 0x1p-50, down(0x1p-50), 1e-300, 0.0, -0.0, 1e300,
                                       3e15, 250.0, 300.0, 1.0133, 420.0};
    Points points = mixed_points(4000);
    for (double P : coordinates) {
        for (double T : coordinates) {
            points.P.push_back(P);
            points.T.push_back(T);
        }
    }
    const std::size_t n = points.P.size();
    for (double scale : {1.0, 1e300, 1e-300, 0x1p90, 0x1p-96, 1e-310}) {
        LogKTable LOGK = made_up_table();
        for (int I = 1; I <= 37; ++I) {
            for (int J = 1; J <= 36; ++J) LOGK(I, J) *= scale;
        }
        for (int k = 0; k < 9; ++k) LOGK(12 + k, 9 + k % 4) = cells[k];  // where the points' stencils reach
        const Table table = table_of(LOGK);
        for (const auto& [set, division] : every_build_and_division()) {
            SCOPED_TRACE(::testing::Message() << "scale " << scale << ", " << instruction_set_name(set) << ", "
                                              << division_name(division));
            Results got(n, 1);
            interpolate_points_with(set, division, values_of(LOGK), n, points.P.data(), points.T.data(), got.outputs());
            expect_one_point_results(table, points.P, points.T, got);
            for (const auto& [PIDX, TIDX] : {std::pair{12, 11}, {13, 12}, {1, 3}, {35, 36}}) {
                std::vector<double> LK(n), along(n);
                interpolate_on_stencil_with(set, division, LOGK.cells(), PIDX, TIDX, n, points.P.data(),
                                            points.T.data(), LK.data());
                const PressureColumns columns = intrpk_columns(points.P[7], PIDX, TIDX, LOGK.cells());
                interpolate_along_temperature_with(set, division, TIDX, columns, n, points.T.data(), along.data());
                for (std::size_t i = 0; i < n; ++i) {
                    double one = 0.0;
                    intrpk_cells(points.P[i], points.T[i], PIDX, TIDX, LOGK.cells(), one);
                    ASSERT_EQ(bits(LK[i]), bits(one)) << i << " on " << PIDX << ", " << TIDX;
                    ASSERT_EQ(bits(along[i]), bits(intrpk_along_temperature(points.T[i], TIDX, columns))) << i;
                }
            }
        }
    }
    // Nodes of a table's own beyond the guards: the divider for all of it.
    for (const std::vector<double>& P : {std::vector<double>{0.0, 1.0, 0x1p51, 0x1p52}, {0x1p-60, 1.0, 2.0}}) {
        const Table grid = Table::from_grid(P, std::vector<double>{0.0, 25.0, 50.0}, std::vector<double>(P.size() * 3, 1.5));
        const TableData data(std::make_shared<const GridData>(GridTable(grid.pressures(), grid.temperatures(), grid.values())));
        EXPECT_FALSE(data.grid->table.reciprocals_usable());
        for (const auto& [set, division] : every_build_and_division()) {
            Results got(n, 1);
            interpolate_points_with(set, division, data.values(), n, points.P.data(), points.T.data(), got.outputs());
            expect_one_point_results(grid, points.P, points.T, got);
        }
    }
}

// Any number of workers gives every output the bits of one thread, for a
// table and a set, on sizes that split unevenly, through C++ and C.
TEST(SameBits, EveryNumberOfWorkersGivesTheBitsOfOne) {
    const LogKTable LOGK = made_up_table();
    TableSetData set(3);
    for (std::size_t r = 0; r < 3; ++r) set.put(r, made_up_table(static_cast<int>(r)));
    const Table table = table_of(LOGK);
    std::vector<double> values(1332);
    LOGK.get_in_file_order(values.data());
    logk_table* c_table = logk_table_from_values(values.data(), nullptr);
    for (const std::size_t n : {kLeastValuesForWorkers + 1, std::size_t{100003}}) {
        const Points points = mixed_points(n);
        for (const TableValues& tables : {values_of(LOGK), set.tables()}) {
            Results one(n, tables.count);
            interpolate_points(tables, n, points.P.data(), points.T.data(), one.outputs(), 1);
            for (int workers : {2, 3, 7, 0, -1}) {
                SCOPED_TRACE(::testing::Message() << n << " points, " << tables.count << " tables, " << workers
                                                  << " workers");
                Results got(n, tables.count);
                interpolate_points(tables, n, points.P.data(), points.T.data(), got.outputs(), workers);
                EXPECT_EQ(std::memcmp(got.LK.data(), one.LK.data(), n * tables.count * 8), 0);
                EXPECT_EQ(std::memcmp(got.dLK_dT.data(), one.dLK_dT.data(), n * tables.count * 8), 0);
                EXPECT_EQ(got.PIDX, one.PIDX);
                EXPECT_EQ(got.PTERR, one.PTERR);
                if (tables.count != 1) continue;
                Results cpp(n, 1), c(n, 1);
                table.interpolate(points.P, points.T, Outputs{cpp.LK, cpp.PIDX, cpp.TIDX, cpp.ISOERR, cpp.PTERR, {}, {}},
                                  workers);
                logk_interpolate_workers(c_table, n, points.P.data(), points.T.data(), c.LK.data(), c.PIDX.data(),
                                         c.TIDX.data(), c.ISOERR.data(), c.PTERR.data(), workers);
                logk_slopes_workers(c_table, n, points.P.data(), points.T.data(), c.dLK_dT.data(), c.dLK_dP.data(),
                                    workers);
                EXPECT_EQ(std::memcmp(cpp.LK.data(), one.LK.data(), n * 8), 0);
                EXPECT_EQ(std::memcmp(c.LK.data(), one.LK.data(), n * 8), 0);
                EXPECT_EQ(std::memcmp(c.dLK_dP.data(), one.dLK_dP.data(), n * 8), 0);
                EXPECT_EQ(c.TIDX, one.TIDX);
                EXPECT_EQ(cpp.ISOERR, one.ISOERR);
            }
        }
    }
    logk_table_free(c_table);
}

}  // namespace
}  // namespace logk::testing

namespace logk::testing {
namespace {

// A table on nodes of its own, of m x n uneven nodes drawn from `random`,
// with NaN (missing) and infinite values here and there where `holes`.
Table random_grid_table(int m, int n, bool holes, std::mt19937_64& random) {
    std::uniform_real_distribution<double> step(0.01, 3.0), value(-12.0, 2.0), unit(0.0, 1.0);
    std::vector<double> P{50.0 * unit(random)}, T{unit(random)};
    while (static_cast<int>(P.size()) < m) P.push_back(P.back() + 40.0 * step(random) * step(random));
    while (static_cast<int>(T.size()) < n) T.push_back(T.back() + 10.0 * step(random));
    std::vector<double> values;
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) {
            const double u = unit(random);
            values.push_back(holes && u < 0.06   ? std::numeric_limits<double>::quiet_NaN()
                             : holes && u < 0.07 ? std::numeric_limits<double>::infinity()
                                                 : value(random));
        }
    }
    return Table::from_grid(P, T, values);
}

// Points that reach every rule of a table on its own nodes: each node, the
// doubles beside it, the first doubles of a new nearest node, the margins,
// and random points, against a sample of the other axis; NaN, infinities.
Points points_of(const Table& table, std::mt19937_64& random) {
    auto around = [](std::span<const double> nodes) {
        std::vector<double> x;
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            x.insert(x.end(), {down(nodes[k]), nodes[k], up(nodes[k])});
            if (k + 1 < nodes.size()) {
                const double middle = nodes[k] + 0.5 * (nodes[k + 1] - nodes[k]);
                x.insert(x.end(), {down(middle), middle, up(middle)});
            }
        }
        const double low = nodes[0] - (nodes.size() > 1 ? nodes[1] - nodes[0] : 1.0);
        const double high = nodes.back() + (nodes.size() > 1 ? nodes.back() - nodes[nodes.size() - 2] : 1.0);
        x.insert(x.end(), {down(low), low, up(low), down(high), high, up(high)});
        return x;
    };
    const std::vector<double> P = around(table.pressures()), T = around(table.temperatures());
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    Points points;
    for (std::size_t k = 0; k < 4000; ++k) {
        points.P.push_back(k % 3 == 0 ? P[random() % P.size()] : P.front() + (P.back() - P.front()) * (random() % 1000) / 999.0);
        points.T.push_back(k % 4 == 0 ? T[random() % T.size()] : T.front() + (T.back() - T.front()) * (random() % 1000) / 999.0);
    }
    for (double p : {nan, inf, -inf, P[1]}) {
        for (double t : {nan, inf, -inf, T[1]}) {
            points.P.push_back(p);
            points.T.push_back(t);
        }
    }
    return points;
}

// Tables on nodes of their own of many shapes (along one line, three
// nodes, more changes of the nearest node than the lanes count, missing
// and infinite values), alone and in sets that share their nodes and
// missing values (fewer tables than a vector and more): every build gives
// each point the bits of its own table's one-point route, in every output.
TEST(SameBits, TablesOnTheirOwnNodesAgreeWithTheirOnePointRoute) {
    std::mt19937_64 random(36);
    struct Shape {
        int m, n;
        bool holes;
    };
    for (const Shape shape : {Shape{1, 3, false}, {1, 8, true}, {3, 3, false}, {3, 5, true}, {4, 36, true},
                              {37, 36, false}, {70, 9, true}, {5, 90, true}}) {
        SCOPED_TRACE(::testing::Message() << shape.m << " x " << shape.n << (shape.holes ? " with holes" : ""));
        const Table first = random_grid_table(shape.m, shape.n, shape.holes, random);
        std::vector<Table> tables = {first};
        for (int r = 1; r < 10; ++r) {  // the same nodes and missing values, other numbers
            std::vector<double> values = first.values();
            for (double& v : values) v = std::isnan(v) ? v : v * (1.0 + 0.125 * r) - 0.5 * r;
            tables.push_back(Table::from_grid(first.pressures(), first.temperatures(), values));
        }
        const Points points = points_of(first, random);
        const std::size_t n = points.P.size();
        // The batch loop's own view of the tables, for each build.
        std::vector<TableData> data;
        for (const Table& table : tables) {
            data.emplace_back(std::make_shared<const GridData>(
                GridTable(table.pressures(), table.temperatures(), table.values())));
        }
        for (std::size_t count : {std::size_t{1}, std::size_t{3}, std::size_t{10}}) {
            TableSetData set(count, data[0].grid);
            for (std::size_t r = 0; r < count; ++r) set.put(r, data[r]);
            for (const auto& [build, division] : every_build_and_division()) {
                SCOPED_TRACE(::testing::Message() << count << " tables, build " << instruction_set_name(build) << ", "
                                                  << division_name(division));
                Results got(n, count);
                interpolate_points_with(build, division, count == 1 ? data[0].values() : set.tables(), n,
                                        points.P.data(), points.T.data(), got.outputs());
                // log K alone, which leaves the flags' work out, gives the same log K.
                std::vector<double> alone(n * count);
                interpolate_points_with(build, division, count == 1 ? data[0].values() : set.tables(), n,
                                        points.P.data(), points.T.data(), BatchOutputs{alone.data()});
                ASSERT_EQ(std::memcmp(alone.data(), got.LK.data(), alone.size() * sizeof(double)), 0);
                for (std::size_t i = 0; i < n; ++i) {
                    for (std::size_t r = 0; r < count; ++r) {
                        const Interpolation one = tables[r].interpolate(points.P[i], points.T[i]);
                        const Slopes slopes = tables[r].slopes(points.P[i], points.T[i]);
                        expect_the_one_nan({one.LK, slopes.dLK_dT, slopes.dLK_dP});
                        const std::size_t k = i * count + r;
                        ASSERT_EQ(bits(got.LK[k]), bits(one.LK)) << i << " table " << r;
                        ASSERT_EQ(bits(got.dLK_dT[k]), bits(slopes.dLK_dT)) << i << " table " << r;
                        ASSERT_EQ(bits(got.dLK_dP[k]), bits(slopes.dLK_dP)) << i << " table " << r;
                        ASSERT_EQ(got.PIDX[i], one.PIDX) << i;
                        ASSERT_EQ(got.TIDX[i], one.TIDX) << i;
                        ASSERT_EQ(got.ISOERR[i], one.ISOERR) << i;
                        ASSERT_EQ(got.PTERR[i], one.PTERR) << i;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace logk::testing
