// Draws the engine instrument block's bitmaps: eight dial faces (1000 to 8000, 302 x 302) and
// fifteen needles, all 256-colour images.
//
// Every graduation is placed from the needle's calibration table, the way the panel host
// points the needle: each table row (x, y) -> value is a point on the gauge background and the
// needle, pivoting at its gauge position P, points at atan2(y - P.y, x - P.x) for that value
// (degrees, clockwise on screen). Rows are taken by ascending value; the needle turns from row
// to row in one direction, that of the shorter arc between the two lowest rows, so a later step
// may exceed half a turn; between rows the angle is linear in the value, and outside the table
// it stays at the end rows.
//
// Each instrument then has a reading law: the printed reading for a needle value, linear
// between a few anchor values (docs/instruments.md lists them). A graduation for the reading r
// sits at the angle of the needle value whose reading is r.
#include "artlib.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

double radians(double degrees) { return degrees * pi / 180.0; }

// ---------------------------------------------------------------------------------------------
// Needle calibration tables and the host's pointing rule.

struct Row {
    int x, y;
    double value;
};

// A needle's gauge position and calibration table, as the gauge carries them.
struct NeedleTable {
    int posX, posY;
    std::vector<Row> rows;
};

// Angle (degrees, clockwise on screen, not reduced) at which the host points a needle for a
// needle value.
class Sweep {
public:
    explicit Sweep(const NeedleTable& t) {
        std::vector<Row> rows = t.rows;
        std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.value < b.value; });
        std::vector<double> raw;
        for (const Row& r : rows) {
            values_.push_back(r.value);
            raw.push_back(std::atan2(double(r.y - t.posY), double(r.x - t.posX)) * 180.0 / pi);
        }
        double first = std::fmod(raw[1] - raw[0] + 540.0, 360.0) - 180.0;
        const bool clockwise = first >= 0;
        angles_.push_back(raw[0]);
        for (size_t i = 1; i < raw.size(); ++i) {
            double step = clockwise ? std::fmod(raw[i] - raw[i - 1] + 720.0, 360.0)
                                     : -std::fmod(raw[i - 1] - raw[i] + 720.0, 360.0);
            angles_.push_back(angles_.back() + step);
        }
    }

    double angle(double value) const {
        if (value <= values_.front()) return angles_.front();
        if (value >= values_.back()) return angles_.back();
        size_t i = 1;
        while (value > values_[i]) ++i;
        double t = (value - values_[i - 1]) / (values_[i] - values_[i - 1]);
        return angles_[i - 1] + t * (angles_[i] - angles_[i - 1]);
    }

private:
    std::vector<double> values_;
    std::vector<double> angles_;
};

// Reading law: (needle value, printed reading) anchors, both ascending; linear between them.
struct ReadingLaw {
    std::vector<std::pair<double, double>> anchors;

    double valueFor(double reading) const {
        if (reading <= anchors.front().second) return anchors.front().first;
        if (reading >= anchors.back().second) return anchors.back().first;
        size_t i = 1;
        while (reading > anchors[i].second) ++i;
        auto [v0, r0] = anchors[i - 1];
        auto [v1, r1] = anchors[i];
        return v0 + (reading - r0) * (v1 - v0) / (r1 - r0);
    }
};

// The calibration tables, rows as the gauge stores them.
const NeedleTable tachometerTable{150, 153, {{125, 258, 0}, {40, 159, 1200}, {176, 258, 3500}}};
const NeedleTable manifoldTable{
    460, 153, {{358, 190, 500}, {460, 38, 2250}, {558, 88, 3150}, {560, 212, 4200}, {498, 260, 5000}}};
const NeedleTable fuelTable1{770, 153,
                             {{675, 215, 0},
                              {850, 63, 750},
                              {877, 100, 1100},
                              {890, 160, 1600},
                              {877, 195, 2500},
                              {875, 205, 10000}}};
const NeedleTable fuelTable2{770, 153,
                             {{675, 215, 0},
                              {850, 62, 750},
                              {877, 100, 1100},
                              {890, 160, 1600},
                              {877, 195, 2500},
                              {875, 205, 10000}}};
const NeedleTable airTemperatureTable{1077, 185, {{988, 94, -50}, {1077, 67, 0}, {1165, 94, 50}}};
const NeedleTable oilPressureLeft{
    65, 443, {{104, 373, 5000}, {120, 408, 3750}, {140, 443, 2500}, {120, 473, 1250}, {104, 528, 0}}};
const NeedleTable oilPressureRight{
    235, 451, {{196, 528, 0}, {178, 473, 1250}, {160, 443, 2500}, {178, 408, 3750}, {196, 373, 5000}}};
const NeedleTable headTemperatureLeft{
    375, 443, {{414, 373, 4000}, {435, 408, 2000}, {450, 443, 1000}, {440, 473, 50}, {414, 528, 0}}};
const NeedleTable headTemperatureRight{
    545, 451, {{506, 528, 0}, {480, 473, 50}, {470, 443, 1000}, {488, 408, 2000}, {506, 373, 4000}}};
const NeedleTable oilTemperatureLeft{
    685, 443, {{724, 373, 4000}, {745, 418, 1800}, {760, 443, 1000}, {750, 463, 500}, {745, 483, 0}}};
const NeedleTable oilTemperatureRight{
    855, 451, {{795, 483, 0}, {790, 463, 500}, {780, 443, 1000}, {798, 418, 1800}, {816, 373, 4000}}};
const NeedleTable carburettorLeft{995,
                                  443,
                                  {{1030, 373, 4000},
                                   {1060, 397, 1500},
                                   {1078, 441, 800},
                                   {1074, 484, 90},
                                   {1050, 514, 25},
                                   {1040, 519, 0}}};
const NeedleTable carburettorRight{1165,
                                   451,
                                   {{1118, 519, 0},
                                    {1108, 514, 25},
                                    {1084, 484, 90},
                                    {1078, 441, 800},
                                    {1097, 397, 1500},
                                    {1127, 373, 4000}}};

// Reading laws. Linear ones are written with two anchors; the others give every table row a
// round reading chosen so that the printed scale is close to evenly divided.
const ReadingLaw rpmLaw{{{0, 0}, {1200, 1000}, {3500, 4500}}};           // revolutions per minute
const ReadingLaw manifoldLaw{{{500, 10}, {5000, 10 + 4500 / 87.5}}};     // inches of mercury
const ReadingLaw fuelPressureLaw{
    {{0, 0}, {750, 17}, {1100, 19.5}, {1600, 22.5}, {2500, 24.5}, {10000, 25}}};  // psi
const ReadingLaw airTemperatureLaw{{{-50, -50}, {50, 50}}};                         // degrees C
const ReadingLaw oilPressureLaw{{{0, 0}, {5000, 150}}};                             // psi
const ReadingLaw headTemperatureLaw{{{0, 0}, {50, 100}, {1000, 160}, {2000, 230}, {4000, 300}}};
const ReadingLaw oilTemperatureLaw{{{0, -50}, {500, -15}, {1000, 25}, {1800, 75}, {4000, 150}}};
const ReadingLaw carburettorLaw{{{0, -50}, {25, -40}, {90, 5}, {800, 50}, {1500, 105}, {4000, 150}}};

// ---------------------------------------------------------------------------------------------
// Drawing helpers.

struct Colour {
    int r, g, b;
};
const Colour markWhite{238, 238, 230};
const Colour legendWhite{212, 212, 204};
const Colour faceBlack{14, 14, 15};
const Colour green{40, 190, 70};
const Colour yellow{235, 200, 40};
const Colour red{225, 40, 35};

void use(cairo_t* cr, Colour c) { art::setColour(cr, c.r, c.g, c.b); }

void circle(cairo_t* cr, double x, double y, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * pi);
    cairo_close_path(cr);
}

struct Point {
    double x, y;
};

Point polar(Point centre, double angle, double r) {
    return {centre.x + r * std::cos(radians(angle)), centre.y + r * std::sin(radians(angle))};
}

void radialLine(cairo_t* cr, Point centre, double angle, double r1, double r2, double width) {
    Point a = polar(centre, angle, r1), b = polar(centre, angle, r2);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_stroke(cr);
}

void text(cairo_t* cr, Colour c, const std::string& s, double x, double y, double size,
          const char* face = "Liberation Sans", bool bold = true) {
    use(cr, c);
    art::centredText(cr, s, x, y, size, face, bold);
}

std::string number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

// One instrument scale: a needle's sweep, its reading law and the point it pivots about on the
// face.
struct Scale {
    Sweep sweep;
    const ReadingLaw& law;
    Point pivot;

    Scale(const NeedleTable& table, const ReadingLaw& l, int faceX, int faceY)
        : sweep(table), law(l), pivot{table.posX - faceX + 0.5, table.posY - faceY + 0.5} {}

    double angleOf(double reading) const { return sweep.angle(law.valueFor(reading)); }
};

// Graduation layout: marks every `minor` from `from` to `to`, longer ones at multiples of
// `medium` and `major`; all end at radius `outer`.
struct Graduations {
    double from, to, minor, medium, major;
    double minorInner, mediumInner, majorInner, outer;
    double minorWidth = 1.3, mediumWidth = 1.8, majorWidth = 2.6;
};

bool multipleOf(double v, double step) {
    double k = v / step;
    return std::fabs(k - std::round(k)) < 1e-6;
}

void drawGraduations(cairo_t* cr, const Scale& s, const Graduations& g) {
    use(cr, markWhite);
    int count = int(std::lround((g.to - g.from) / g.minor));
    for (int k = 0; k <= count; ++k) {
        double reading = g.from + k * g.minor;
        double angle = s.angleOf(reading);
        if (multipleOf(reading, g.major))
            radialLine(cr, s.pivot, angle, g.majorInner, g.outer, g.majorWidth);
        else if (multipleOf(reading, g.medium))
            radialLine(cr, s.pivot, angle, g.mediumInner, g.outer, g.mediumWidth);
        else
            radialLine(cr, s.pivot, angle, g.minorInner, g.outer, g.minorWidth);
    }
}

// A coloured band between two readings, between radii r1 and r2, following the scale.
void drawBand(cairo_t* cr, const Scale& s, double from, double to, double r1, double r2, Colour c) {
    const int steps = 64;
    std::vector<double> angles;
    for (int k = 0; k <= steps; ++k) angles.push_back(s.angleOf(from + (to - from) * k / steps));
    cairo_new_path(cr);
    for (int k = 0; k <= steps; ++k) {
        Point p = polar(s.pivot, angles[size_t(k)], r2);
        if (k == 0)
            cairo_move_to(cr, p.x, p.y);
        else
            cairo_line_to(cr, p.x, p.y);
    }
    for (int k = steps; k >= 0; --k) {
        Point p = polar(s.pivot, angles[size_t(k)], r1);
        cairo_line_to(cr, p.x, p.y);
    }
    cairo_close_path(cr);
    use(cr, c);
    cairo_fill(cr);
}

void drawRedLine(cairo_t* cr, const Scale& s, double reading, double r1, double r2, double width = 3.2) {
    use(cr, red);
    radialLine(cr, s.pivot, s.angleOf(reading), r1, r2, width);
}

// Numerals upright at radius r along the scale.
void drawNumerals(cairo_t* cr, const Scale& s, const std::vector<double>& readings, double r, double size,
                  double divisor = 1, const char* face = "Liberation Sans") {
    for (double reading : readings) {
        Point p = polar(s.pivot, s.angleOf(reading), r);
        text(cr, markWhite, number(reading / divisor), p.x, p.y, size, face, true);
    }
}

// Round instrument body: a bezel ring and a near-black face, everything outside pure black.
constexpr double bezelOuter = 145;
constexpr double faceRadius = 132;

void drawBody(cairo_t* cr, Point centre) {
    cairo_pattern_t* bezel =
        cairo_pattern_create_linear(centre.x - 110, centre.y - 120, centre.x + 110, centre.y + 120);
    cairo_pattern_add_color_stop_rgb(bezel, 0, 0.45, 0.45, 0.46);
    cairo_pattern_add_color_stop_rgb(bezel, 0.5, 0.21, 0.21, 0.22);
    cairo_pattern_add_color_stop_rgb(bezel, 1, 0.09, 0.09, 0.10);
    circle(cr, centre.x, centre.y, bezelOuter);
    cairo_set_source(cr, bezel);
    cairo_fill(cr);
    cairo_pattern_destroy(bezel);
    circle(cr, centre.x, centre.y, faceRadius + 3);
    art::setColour(cr, 28, 28, 29);
    cairo_fill(cr);
    cairo_pattern_t* face =
        cairo_pattern_create_radial(centre.x - 30, centre.y - 40, 10, centre.x, centre.y, faceRadius);
    cairo_pattern_add_color_stop_rgb(face, 0, 22 / 255.0, 22 / 255.0, 23 / 255.0);
    cairo_pattern_add_color_stop_rgb(face, 1, faceBlack.r / 255.0, faceBlack.g / 255.0, faceBlack.b / 255.0);
    circle(cr, centre.x, centre.y, faceRadius);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
}

// A small boss on the face under a needle's hub.
void drawBoss(cairo_t* cr, Point p, double r) {
    cairo_pattern_t* boss = cairo_pattern_create_radial(p.x - r / 3, p.y - r / 3, 0.5, p.x, p.y, r);
    cairo_pattern_add_color_stop_rgb(boss, 0, 0.40, 0.40, 0.41);
    cairo_pattern_add_color_stop_rgb(boss, 1, 0.13, 0.13, 0.14);
    circle(cr, p.x, p.y, r);
    cairo_set_source(cr, boss);
    cairo_fill(cr);
    cairo_pattern_destroy(boss);
}

std::vector<double> range(double from, double to, double step) {
    std::vector<double> out;
    int count = int(std::lround((to - from) / step));
    for (int k = 0; k <= count; ++k) out.push_back(from + k * step);
    return out;
}

constexpr int faceSize = 302;
// Centre of the round body on the upper and lower row faces.
const Point upperCentre{150.5, 153.5};
const Point lowerCentre{150.5, 152.5};

// ---------------------------------------------------------------------------------------------
// Upper row: dials whose needles pivot at the face centre.

// Graduation radii of the upper-row dials; the needles reach 119.5 from their pivot.
const double dialOuter = 123, dialMajor = 102, dialMedium = 109, dialMinor = 114;

void drawTachometer(const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(faceSize, faceSize);
    cairo_t* cr = canvas.cr;
    drawBody(cr, upperCentre);
    Scale s(tachometerTable, rpmLaw, 0, 0);
    drawBand(cr, s, 1400, 2350, 124, 129, green);
    drawGraduations(cr, s, {0, 4500, 100, 500, 500, dialMinor, dialMedium, dialMajor, dialOuter});
    drawRedLine(cr, s, 2700, 100, 129);
    drawNumerals(cr, s, range(0, 4500, 500), 86, 21, 100);
    text(cr, legendWhite, "R.P.M.", 150.5, 100, 16);
    text(cr, legendWhite, "x100", 150.5, 119, 13);
    drawBoss(cr, s.pivot, 13);
    art::save8(canvas, dir + "/1000.bmp");
    art::freeCanvas(canvas);
}

void drawManifoldPressure(const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(faceSize, faceSize);
    cairo_t* cr = canvas.cr;
    drawBody(cr, upperCentre);
    Scale s(manifoldTable, manifoldLaw, 310, 0);
    drawBand(cr, s, 15, 30, 124, 129, green);
    drawGraduations(cr, s, {10, 60, 1, 5, 10, dialMinor, dialMedium, dialMajor, dialOuter});
    drawRedLine(cr, s, 48, 100, 129);
    drawNumerals(cr, s, range(10, 60, 10), 86, 22);
    text(cr, legendWhite, "MANIFOLD", 150.5, 184, 14);
    text(cr, legendWhite, "PRESSURE", 150.5, 200, 14);
    text(cr, legendWhite, "IN. HG", 150.5, 222, 13);
    drawBoss(cr, s.pivot, 13);
    art::save8(canvas, dir + "/2000.bmp");
    art::freeCanvas(canvas);
}

void drawFuelPressure(const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(faceSize, faceSize);
    cairo_t* cr = canvas.cr;
    drawBody(cr, upperCentre);
    // Engine 1's table; engine 2's differs by a fraction of a degree at one row.
    Scale s(fuelTable1, fuelPressureLaw, 620, 0);
    drawBand(cr, s, 14, 24, 124, 129, green);
    drawGraduations(cr, s, {0, 25, 1, 5, 5, dialMinor, dialMedium, dialMajor, dialOuter});
    drawRedLine(cr, s, 12, 100, 129);
    drawNumerals(cr, s, range(0, 25, 5), 86, 22);
    text(cr, legendWhite, "FUEL", 150.5, 96, 15);
    text(cr, legendWhite, "PRESS", 150.5, 113, 15);
    text(cr, legendWhite, "PSI", 150.5, 208, 15);
    drawBoss(cr, s.pivot, 13);
    art::save8(canvas, dir + "/3000.bmp");
    art::freeCanvas(canvas);
}

void drawAirTemperature(const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(faceSize, faceSize);
    cairo_t* cr = canvas.cr;
    drawBody(cr, upperCentre);
    // The needle pivots low on the face and sweeps an arc across its upper part; it reaches
    // 130.5 from its pivot.
    Scale s(airTemperatureTable, airTemperatureLaw, 930, 0);
    drawGraduations(cr, s, {-50, 50, 5, 10, 25, 116, 116, 106, 130, 1.4, 1.4, 2.8});
    std::vector<std::string> labels{"-50", "-25", "0", "+25", "+50"};
    for (size_t k = 0; k < labels.size(); ++k) {
        Point p = polar(s.pivot, s.angleOf(-50 + 25.0 * double(k)), 92);
        text(cr, markWhite, labels[k], p.x, p.y, 19);
    }
    text(cr, legendWhite, "O.A.T.", 150.5, 232, 17);
    text(cr, legendWhite, "\xC2\xB0" "C", 150.5, 254, 15);
    drawBoss(cr, s.pivot, 10);
    art::save8(canvas, dir + "/4000.bmp");
    art::freeCanvas(canvas);
}

// ---------------------------------------------------------------------------------------------
// Lower row: twin vertical scales. The left needle (engine 1) pivots near the left edge and the
// right needle (engine 2) near the right edge; both swing up and down, so each scale is a curve
// about its own pivot. Numerals stand between the two scales, midway between the ends of the
// two marks of the same reading.

const double verticalOuter = 75, verticalMajor = 55, verticalMedium = 61, verticalMinor = 66;

struct TwinFace {
    int faceX, faceY;
    const NeedleTable& left;
    const NeedleTable& right;
    const ReadingLaw& law;
    double from, to, minor, medium, major;
    std::vector<double> numerals;
    struct Band {
        double from, to;
        Colour colour;
    };
    std::vector<Band> bands;
    std::vector<double> redLines;
    std::string title1, title2, units, leftMark, rightMark;
    int id;
};

void drawTwinFace(const TwinFace& f, const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(faceSize, faceSize);
    cairo_t* cr = canvas.cr;
    drawBody(cr, lowerCentre);
    Scale left(f.left, f.law, f.faceX, f.faceY);
    Scale right(f.right, f.law, f.faceX, f.faceY);
    for (const Scale* s : {&left, &right}) {
        for (const TwinFace::Band& b : f.bands) drawBand(cr, *s, b.from, b.to, 48, 52.5, b.colour);
        drawGraduations(cr, *s,
                        {f.from, f.to, f.minor, f.medium, f.major, verticalMinor, verticalMedium, verticalMajor,
                         verticalOuter, 1.4, 1.9, 2.8});
        for (double r : f.redLines) drawRedLine(cr, *s, r, 46, verticalOuter + 1, 3.0);
    }
    for (double reading : f.numerals) {
        Point a = polar(left.pivot, left.angleOf(reading), verticalOuter);
        Point b = polar(right.pivot, right.angleOf(reading), verticalOuter);
        text(cr, markWhite, number(reading), (a.x + b.x) / 2, (a.y + b.y) / 2, 15, "Liberation Sans Narrow");
    }
    text(cr, legendWhite, f.title1, 150.5, f.title2.empty() ? 56 : 48, 15);
    if (!f.title2.empty()) text(cr, legendWhite, f.title2, 150.5, 65, 15);
    text(cr, legendWhite, f.units, 150.5, 250, 14);
    // Engine marks under the two pivots.
    text(cr, legendWhite, f.leftMark, left.pivot.x, left.pivot.y + 24, 16);
    text(cr, legendWhite, f.rightMark, right.pivot.x, right.pivot.y + 24, 16);
    drawBoss(cr, left.pivot, 8);
    drawBoss(cr, right.pivot, 8);
    art::save8(canvas, dir + "/" + std::to_string(f.id) + ".bmp");
    art::freeCanvas(canvas);
}

void drawLowerRow(const std::string& dir) {
    drawTwinFace({0, 293, oilPressureLeft, oilPressureRight, oilPressureLaw, 0, 150, 10, 50, 50, {50, 100, 150},
                  {{60, 90, green}}, {40, 100}, "OIL", "PRESS", "P.S.I.", "1", "2", 5000},
                 dir);
    drawTwinFace({310, 293, headTemperatureLeft, headTemperatureRight, headTemperatureLaw, 0, 300, 10, 50, 100,
                  {0, 100, 200, 300}, {{150, 230, green}}, {260}, "CYL. HEAD", "TEMP", "\xC2\xB0" "C", "1", "2",
                  6000},
                 dir);
    drawTwinFace({620, 293, oilTemperatureLeft, oilTemperatureRight, oilTemperatureLaw, -50, 150, 5, 25, 50,
                  {-50, 0, 50, 100, 150}, {{60, 85, green}}, {100}, "OIL", "TEMP", "\xC2\xB0" "C", "1", "2", 7000},
                 dir);
    drawTwinFace({930, 293, carburettorLeft, carburettorRight, carburettorLaw, -50, 150, 5, 25, 50,
                  {-50, 0, 50, 100, 150}, {{-10, 15, yellow}, {15, 40, green}}, {40}, "CARB. AIR", "TEMP",
                  "\xC2\xB0" "C", "L", "R", 8000},
                 dir);
}

// ---------------------------------------------------------------------------------------------
// Needles: cream pointers on pure black, pointing right from their pivot.

const Colour needleCream{242, 238, 222};
const Colour needleFigure{72, 66, 58};

void finishNeedle(art::Canvas& canvas, const std::string& path) {
    art::clearDarkFringe(canvas, 56);
    art::save8(canvas, path);
}

// Upper-row needle, 130 x 21, pivot 10,10, carrying the engine's figure on a paddle.
void drawDialNeedle(const std::string& path, const char* figure) {
    art::Canvas canvas = art::makeCanvas(130, 21);
    cairo_t* cr = canvas.cr;
    const double py = 10.5, px = 10.5;
    use(cr, needleCream);
    cairo_move_to(cr, px, py - 3.2);
    cairo_line_to(cr, 106, py - 1.8);
    cairo_line_to(cr, 129.8, py);
    cairo_line_to(cr, 106, py + 1.8);
    cairo_line_to(cr, px, py + 3.2);
    cairo_close_path(cr);
    cairo_fill(cr);
    circle(cr, px, py, 9.2);
    cairo_fill(cr);
    // Paddle with the figure, readable when the needle points right.
    cairo_new_sub_path(cr);
    cairo_arc(cr, 50, py, 7.4, radians(90), radians(270));
    cairo_arc(cr, 66, py, 7.4, radians(-90), radians(90));
    cairo_close_path(cr);
    cairo_fill(cr);
    text(cr, needleFigure, figure, 58, py, 13, "Liberation Sans", true);
    circle(cr, px, py, 3);
    use(cr, {130, 126, 116});
    cairo_fill(cr);
    finishNeedle(canvas, path);
    art::freeCanvas(canvas);
}

// Outside air temperature needle, 137 x 23, pivot 6,6.
void drawAirTemperatureNeedle(const std::string& path) {
    art::Canvas canvas = art::makeCanvas(137, 23);
    cairo_t* cr = canvas.cr;
    const double px = 6.5, py = 6.5;
    use(cr, needleCream);
    cairo_move_to(cr, px, py - 2.6);
    cairo_line_to(cr, 114, py - 1.5);
    cairo_line_to(cr, 136.8, py);
    cairo_line_to(cr, 114, py + 1.5);
    cairo_line_to(cr, px, py + 2.6);
    cairo_close_path(cr);
    cairo_fill(cr);
    circle(cr, px, py, 6.2);
    cairo_fill(cr);
    circle(cr, px, py, 2.2);
    use(cr, {130, 126, 116});
    cairo_fill(cr);
    finishNeedle(canvas, path);
    art::freeCanvas(canvas);
}

// Vertical-scale needle, 78 x 13: a tapering blade from its base at the pivot to a point on the
// pivot line. The left needles pivot at 0,10 and the right ones at 0,0 (the top row), so the
// same blade lies centred on row 10 in one and along the top edge in the other; either way its
// point is on the line through the pivot.
void drawVerticalNeedle(const std::string& path, bool pivotAtTop) {
    art::Canvas canvas = art::makeCanvas(78, 13);
    cairo_t* cr = canvas.cr;
    use(cr, needleCream);
    if (pivotAtTop) {
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, 64, 0);
        cairo_line_to(cr, 77.8, 0.5);
        cairo_line_to(cr, 64, 3.2);
        cairo_line_to(cr, 0, 5.0);
    } else {
        const double py = 10.5;
        cairo_move_to(cr, 0, py - 2.5);
        cairo_line_to(cr, 64, py - 1.5);
        cairo_line_to(cr, 77.8, py);
        cairo_line_to(cr, 64, py + 1.5);
        cairo_line_to(cr, 0, py + 2.5);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    finishNeedle(canvas, path);
    art::freeCanvas(canvas);
}

void drawNeedles(const std::string& dir) {
    for (int id : {1100, 2100, 3100}) drawDialNeedle(dir + "/" + std::to_string(id) + ".bmp", "1");
    for (int id : {1200, 2200, 3200}) drawDialNeedle(dir + "/" + std::to_string(id) + ".bmp", "2");
    drawAirTemperatureNeedle(dir + "/4100.bmp");
    for (int id : {5100, 6100, 7100, 8100}) drawVerticalNeedle(dir + "/" + std::to_string(id) + ".bmp", false);
    for (int id : {5200, 6200, 7200, 8200}) drawVerticalNeedle(dir + "/" + std::to_string(id) + ".bmp", true);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resources directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/engine_set";
    art::makeDirectories(dir);
    drawTachometer(dir);
    drawManifoldPressure(dir);
    drawFuelPressure(dir);
    drawAirTemperature(dir);
    drawLowerRow(dir);
    drawNeedles(dir);
    return 0;
}
