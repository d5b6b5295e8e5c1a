// Log K along a geotherm, with logk's C++ interface: 30 degC per km from
// 10 degC at the surface, hydrostatic pressure, every 500 m down to 15 km.
#include <cstdio>
#include <vector>

#include "logk/logk.hpp"

int main(int argc, char** argv) {
    const logk::Read<logk::Table> loaded = logk::Table::load(argc > 1 ? argv[1] : "quartz.dat");
    if (!loaded) {
        std::fprintf(stderr, "%s\n", loaded.error.text.c_str());
        return 1;
    }
    const logk::Table& table = *loaded.value;

    std::vector<double> P, T;
    for (int k = 0; k <= 30; ++k) {
        P.push_back(1.0 + 98.1 * 0.5 * k);  // bar
        T.push_back(10.0 + 30.0 * 0.5 * k);  // degC
    }
    const std::size_t n = P.size();
    std::vector<double> LK(n), dLK_dT(n);
    std::vector<int> PIDX(n), TIDX(n);
    std::vector<char> ISOERR(n), PTERR(n);
    table.interpolate(P, T, {.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR,
                             .dLK_dT = dLK_dT});
    for (std::size_t i = 0; i < n; ++i) {
        std::printf("%.17g %.17g %d %d %.17g %c %c %.6g\n", P[i], T[i], PIDX[i], TIDX[i], LK[i], ISOERR[i],
                    PTERR[i], dLK_dT[i]);
    }
}
