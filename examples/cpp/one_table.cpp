// One table, a few points, with logk's C++ interface: for each point, log
// K, the stencil and the two flags, as the program writes them in logk.out.
//   one_table [quartz.dat]
// Build: g++ -std=c++20 one_table.cpp $(pkg-config --cflags --libs logk)
#include <cstdio>
#include <string>
#include <vector>

#include "logk/logk.hpp"

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "quartz.dat";
    const logk::Read<logk::Table> loaded = logk::Table::load(path);
    if (!loaded) {
        std::fprintf(stderr, "%s\n", loaded.error.text.c_str());  // also .number, .line, .column, .path
        return 1;
    }
    const logk::Table& table = *loaded.value;
    const std::vector<double> P = {500.0, 100.0, 0.5, 170.0, 7000.0};  // bar
    const std::vector<double> T = {300.0, 200.0, 300.0, 375.0, 300.0};  // degC
    for (std::size_t i = 0; i < P.size(); ++i) {
        const logk::Interpolation at = table.interpolate(P[i], T[i]);
        std::printf("%.17g %.17g %d %d %.17g %c %c\n", P[i], T[i], at.PIDX, at.TIDX, at.LK, at.ISOERR, at.PTERR);
    }
}
