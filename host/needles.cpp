// Needle geometry: how the host turns a needle's value into where it points.
//
// A needle without a table takes its value as the angle itself, in degrees clockwise from
// the direction its bitmap points (right). A needle with a table points, for a value equal
// to a row's value, from its position on the background toward that row's point. The rows
// are taken in order of value (tables may be stored ascending or descending: the same rows
// give the same angles either way). The needle sweeps from row to row in one rotational
// direction, the direction of the shorter arc from the lowest-value row to the next one,
// kept for every later row; so a step between two rows may exceed half a turn, as on a
// tachometer whose scale covers most of the dial. Between two rows the angle is linear in
// value; below the first row and above the last the needle rests on the end row.
//
// The animation works on the sweep position (degrees from the lowest row along the sweep),
// so a needle limited to a few degrees per update travels along its scale, never across.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "panel.h"

namespace host::needles {

namespace {

struct Row {
    double value;
    double angle;  // screen angle of the row's point, degrees in [0, 360)
};

std::vector<Row> sortedRows(const NeedleElement& n) {
    std::vector<Row> rows;
    for (uint32_t i = 0; i < n.tableSize; ++i) {
        const NonlinearityEntry& e = n.nonlinearityTable[i];
        double a = std::atan2(double(e.y - n.header.y), double(e.x - n.header.x)) * 180.0 / std::numbers::pi;
        if (a < 0) a += 360.0;
        rows.push_back({e.value, a});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.value < b.value; });
    return rows;
}

// +1 clockwise, -1 counter-clockwise: the shorter way from the first row to the second.
double direction(const std::vector<Row>& rows) {
    if (rows.size() < 2) return 1.0;
    double d = std::fmod(rows[1].angle - rows[0].angle + 360.0, 360.0);
    return d <= 180.0 ? 1.0 : -1.0;
}

// Degrees travelled along the sweep from row 0 to each row.
std::vector<double> sweepOfRows(const std::vector<Row>& rows) {
    std::vector<double> sweep(rows.size(), 0.0);
    double dir = direction(rows);
    for (size_t i = 1; i < rows.size(); ++i) {
        double d = std::fmod(dir * (rows[i].angle - rows[i - 1].angle) + 720.0, 360.0);
        sweep[i] = sweep[i - 1] + d;
    }
    return sweep;
}

bool hasTable(const NeedleElement& n) { return n.nonlinearityTable && n.tableSize > 0; }

}  // namespace

double sweepFor(const NeedleElement& n, double value) {
    if (!hasTable(n)) return std::isfinite(value) ? value : 0.0;
    std::vector<Row> rows = sortedRows(n);
    std::vector<double> sweep = sweepOfRows(rows);
    if (std::isnan(value) || value <= rows.front().value) return 0.0;
    if (value >= rows.back().value) return sweep.back();
    for (size_t i = 1; i < rows.size(); ++i)
        if (value <= rows[i].value) {
            double span = rows[i].value - rows[i - 1].value;
            double t = span > 0 ? (value - rows[i - 1].value) / span : 1.0;
            return sweep[i - 1] + t * (sweep[i] - sweep[i - 1]);
        }
    return sweep.back();
}

double screenAngle(const NeedleElement& n, double sweep) {
    if (!hasTable(n)) return sweep;
    std::vector<Row> rows = sortedRows(n);
    return rows.front().angle + direction(rows) * sweep;
}

}  // namespace host::needles
