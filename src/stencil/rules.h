// The decision tables of the stencil selection, as data: one row per
// temperature band, with its shift window and its lower pressure limit.
#pragma once

#include <array>

namespace logk::rules {

// Rows T4 and T5, TIDX 5..15, up to 350 degC: the liquid-vapour saturation
// curve. Every P below the shift threshold (the saturation pressure at the
// row's upper node) is shifted by exactly one; P below the limit (the
// saturation pressure at the row's lower node) is flagged 'E'.
struct SaturationRow {
    double shift_below;
    bool has_limit;
    double limit;
};
inline constexpr int kFirstSaturationRow = 5;
inline constexpr std::array<SaturationRow, 11> kSaturationRows = {{
    //                                 TIDX  T (degC)
    {1.0133, false, 0.0},          //  5    (75, 100]   no 'E' test
    {2.321, true, 1.013},          //  6   (100, 125]   1.013, not the node 1.0133
    {4.758, true, 2.321},          //  7   (125, 150]
    {8.919, true, 4.758},          //  8   (150, 175]
    {15.537, true, 8.919},         //  9   (175, 200]
    {25.479, true, 15.537},        // 10   (200, 225]
    {39.737, true, 25.479},        // 11   (225, 250]
    {59.432, true, 39.737},        // 12   (250, 275]
    {85.839, true, 59.432},        // 13   (275, 300]
    {120.458, true, 85.839},       // 14   (300, 325]
    {165.212, true, 120.458},      // 15   (325, 350]
}};

// Row T6, (350, 400]: the three pressure intervals below 300 bar all move to
// the stencil 300, 350, 400 bar; P below 165.212 is flagged, not shifted.
struct ShiftWindow {
    double from;
    double to;
    int by;
};
inline constexpr std::array<ShiftWindow, 3> kRowT6Windows = {{
    {165.212, 200.0, 3},
    {200.0, 250.0, 2},
    {250.0, 300.0, 1},
}};
inline constexpr double kRowT6Limit = 165.212;

// Rows T7, TIDX 17..36, above 400 degC: P in [from, to) is shifted by one;
// P below the limit is flagged 'E' and not shifted.
struct WindowRow {
    double from;
    double to;
    double limit;
};
inline constexpr int kFirstWindowRow = 17;
inline constexpr std::array<WindowRow, 20> kWindowRows = {{
    //                           TIDX  T (degC)
    {200.0, 350.0, 200.0},   // 17   (400, 410]   three node intervals
    {350.0, 400.0, 350.0},   // 18   (410, 420]
    {350.0, 400.0, 350.0},   // 19   (420, 430]
    {400.0, 450.0, 400.0},   // 20   (430, 440]
    {450.0, 500.0, 450.0},   // 21   (440, 450]
    {450.0, 500.0, 450.0},   // 22   (450, 460]
    {500.0, 550.0, 500.0},   // 23   (460, 470]
    {550.0, 600.0, 550.0},   // 24   (470, 480]
    {550.0, 600.0, 550.0},   // 25   (480, 490]
    {600.0, 650.0, 600.0},   // 26   (490, 500]
    {600.0, 650.0, 600.0},   // 27   (500, 510]
    {650.0, 700.0, 650.0},   // 28   (510, 520]
    {700.0, 750.0, 700.0},   // 29   (520, 530]
    {700.0, 750.0, 700.0},   // 30   (530, 540]
    {750.0, 800.0, 700.0},   // 31   (540, 550]   limit 700, not 750
    {800.0, 850.0, 800.0},   // 32   (550, 560]
    {800.0, 850.0, 800.0},   // 33   (560, 570]
    {850.0, 900.0, 850.0},   // 34   (570, 580]
    {900.0, 950.0, 900.0},   // 35   (580, 590]
    {900.0, 950.0, 900.0},   // 36   (590, 600]
}};

// Row T8, (600, 700]: the window of TIDX 36, but the limit is 800, not 900.
inline constexpr WindowRow kRowT8 = {900.0, 950.0, 800.0};

}  // namespace logk::rules
