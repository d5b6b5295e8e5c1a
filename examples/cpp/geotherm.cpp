// Silica and neutral water along a geotherm, with logk's C++ interface:
// the solubility of quartz and the ionisation constant of water, two tables
// made one set, so that each point's stencil is chosen once for both. 30
// degC per km from 10 degC at the surface, hydrostatic pressure, every
// 500 m down to 15 km.
#include <cstdio>
#include <string>
#include <vector>

#include "logk/logk.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string> paths = {argc > 1 ? argv[1] : "quartz.dat", argc > 2 ? argv[2] : "kw.dat"};
    const logk::Read<logk::TableSet> loaded = logk::TableSet::load(paths);  // named "quartz" and "kw"
    if (!loaded) {
        std::fprintf(stderr, "%s\n", loaded.error.text.c_str());
        return 1;
    }
    const logk::TableSet& set = *loaded.value;

    std::vector<double> P, T;
    for (int k = 0; k <= 30; ++k) {
        P.push_back(1.0 + 98.1 * 0.5 * k);  // bar
        T.push_back(10.0 + 30.0 * 0.5 * k);  // degC
    }
    const std::size_t n = P.size(), count = set.size();
    std::vector<double> LK(n * count), dLK_dT(n * count);  // point after point, the tables side by side
    std::vector<int> PIDX(n), TIDX(n);
    std::vector<char> ISOERR(n), PTERR(n);
    set.interpolate(P, T, {.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR,
                           .dLK_dT = dLK_dT});
    for (std::size_t i = 0; i < n; ++i) {
        const double log_silica = LK[i * count], log_kw = LK[i * count + 1];
        // the neutral pH of water is -log Kw / 2
        std::printf("%.17g %.17g %d %d %.17g %.17g %c %c pH %.3f dlogm/dT %.6g\n", P[i], T[i], PIDX[i], TIDX[i],
                    log_silica, log_kw, ISOERR[i], PTERR[i], -log_kw / 2, dLK_dT[i * count]);
    }
}
