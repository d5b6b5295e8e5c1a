// A table of one's own nodes, with logk's C++ interface: log K of calcite
// along the saturation curve at the eight temperatures a database lists (as
// in calcite.dat), its nodes, and for a few points log K, the stencil and
// the two flags, as the program writes them in logk.out for calcite.dat.
//   own_nodes
// Build: g++ -std=c++20 own_nodes.cpp $(pkg-config --cflags --libs logk)
#include <cmath>
#include <cstdio>
#include <vector>

#include "logk/logk.hpp"

int main() {
    // One pressure node: a table along one line. NaN is the saturation line
    // (calcite.dat's `sat`); the pressure takes no part.
    const std::vector<double> pressures = {NAN};
    const std::vector<double> temperatures = {0.01, 25.0, 60.0, 100.0, 150.0, 200.0, 250.0, 300.0};  // degC
    const std::vector<double> values = {-8.38, -8.48, -8.75, -9.13, -9.64, -10.20, -10.81, -11.48};
    const logk::Table table = logk::Table::from_grid(pressures, temperatures, values);  // std::invalid_argument if refused
    const auto t = table.temperatures();
    std::printf("%zu x %zu nodes, %g to %g degC\n", table.pressures().size(), t.size(), t.front(), t.back());

    // The last two lie beyond 300 degC: within one node spacing (pterr W),
    // and beyond it (pterr E).
    const std::vector<double> P = {1.0, 2.3, 59.4, 112.9, 250.0};      // bar
    const std::vector<double> T = {40.0, 125.0, 275.0, 320.0, 400.0};  // degC
    for (std::size_t i = 0; i < P.size(); ++i) {
        const logk::Interpolation at = table.interpolate(P[i], T[i]);
        std::printf("%.17g %.17g %d %d %.17g %c %c\n", P[i], T[i], at.PIDX, at.TIDX, at.LK, at.ISOERR, at.PTERR);
    }
}
