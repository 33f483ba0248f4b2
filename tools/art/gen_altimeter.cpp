// Draws the altimeter pair's bitmaps: the dial and case (1000) and the long, middle and short
// needles (2003, 3003, 3503). All four are 256-colour images.
//
// The dial centre is the needles' pivot point 153,153. The long needle turns once per 1000 feet,
// so the ten numerals stand 36 degrees apart with 0 at the top, and the fifty graduations are
// 20 feet of the long needle each. The pressure-setting text box sits at 200,145 (60 x 22) and
// the setting knob's two halves at x 30..68, y 260..284.
#include "artlib.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double centreX = 153.5;  // centre of pixel 153,153
constexpr double centreY = 153.5;

double radians(double degrees) { return degrees * pi / 180.0; }

void circle(cairo_t* cr, double x, double y, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * pi);
    cairo_close_path(cr);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, radians(-90), 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, radians(90));
    cairo_arc(cr, x + r, y + h - r, r, radians(90), radians(180));
    cairo_arc(cr, x + r, y + r, r, radians(180), radians(270));
    cairo_close_path(cr);
}

// A line from radius r1 to r2 along the screen angle (clockwise degrees, 0 = right).
void radialLine(cairo_t* cr, double angle, double r1, double r2, double width) {
    double c = std::cos(radians(angle)), s = std::sin(radians(angle));
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_move_to(cr, centreX + r1 * c, centreY + r1 * s);
    cairo_line_to(cr, centreX + r2 * c, centreY + r2 * s);
    cairo_stroke(cr);
}

void screw(cairo_t* cr, double x, double y, double slotAngle) {
    cairo_pattern_t* p = cairo_pattern_create_radial(x - 2, y - 2, 0.5, x, y, 6.5);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.55, 0.55, 0.56);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.20, 0.20, 0.21);
    circle(cr, x, y, 6);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    art::setColour(cr, 24, 24, 25);
    cairo_set_line_width(cr, 1.6);
    double c = std::cos(radians(slotAngle)) * 5, s = std::sin(radians(slotAngle)) * 5;
    cairo_move_to(cr, x - c, y - s);
    cairo_line_to(cr, x + c, y + s);
    cairo_stroke(cr);
}

void drawDial(const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(308, 306);
    cairo_t* cr = canvas.cr;

    // Case: a dark square housing with rounded corners, lit from the upper left.
    cairo_pattern_t* casePattern = cairo_pattern_create_linear(0, 0, 308, 306);
    cairo_pattern_add_color_stop_rgb(casePattern, 0, 0.24, 0.24, 0.25);
    cairo_pattern_add_color_stop_rgb(casePattern, 1, 0.11, 0.11, 0.12);
    roundedRect(cr, 0.5, 0.5, 307, 305, 26);
    cairo_set_source(cr, casePattern);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(casePattern);
    art::setColour(cr, 78, 78, 80);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);

    screw(cr, 22, 22, 35);
    screw(cr, 286, 22, 120);
    screw(cr, 286, 284, 70);

    // Bezel ring around the face.
    cairo_pattern_t* bezel = cairo_pattern_create_linear(30, 20, 280, 290);
    cairo_pattern_add_color_stop_rgb(bezel, 0, 0.42, 0.42, 0.43);
    cairo_pattern_add_color_stop_rgb(bezel, 0.5, 0.20, 0.20, 0.21);
    cairo_pattern_add_color_stop_rgb(bezel, 1, 0.09, 0.09, 0.10);
    circle(cr, centreX, centreY, 149);
    cairo_set_source(cr, bezel);
    cairo_fill(cr);
    cairo_pattern_destroy(bezel);
    circle(cr, centreX, centreY, 138);
    art::setColour(cr, 30, 30, 31);
    cairo_fill(cr);

    // The face.
    cairo_pattern_t* face = cairo_pattern_create_radial(centreX - 30, centreY - 40, 10, centreX, centreY, 136);
    cairo_pattern_add_color_stop_rgb(face, 0, 24 / 255.0, 24 / 255.0, 25 / 255.0);
    cairo_pattern_add_color_stop_rgb(face, 1, 13 / 255.0, 13 / 255.0, 14 / 255.0);
    circle(cr, centreX, centreY, 135);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);

    // Fifty graduations, 20 feet of the long needle each; every fifth (100 feet) long.
    art::setColour(cr, 236, 236, 230);
    for (int k = 0; k < 50; ++k) {
        double angle = 270 + 7.2 * k;
        if (k % 5 == 0)
            radialLine(cr, angle, 108, 131, 3.2);
        else
            radialLine(cr, angle, 119, 131, 1.6);
    }

    // Numerals 0 to 9, upright, 0 at the top.
    for (int k = 0; k < 10; ++k) {
        double angle = radians(270 + 36.0 * k);
        double x = centreX + 92 * std::cos(angle), y = centreY + 92 * std::sin(angle);
        art::setColour(cr, 240, 240, 234);
        art::centredText(cr, std::to_string(k), x, y, 29, "Liberation Sans", true);
    }

    // Legends.
    art::setColour(cr, 225, 225, 218);
    art::centredText(cr, "ALTITUDE", centreX, 104, 14, "Liberation Sans", true);
    const char* legends[3] = {"100 FEET", "1000 FEET", "10000 FEET"};
    for (int k = 0; k < 3; ++k) {
        double y = 190 + 13 * k;
        art::setColour(cr, 205, 205, 198);
        art::centredText(cr, legends[k], centreX + 7, y, 10.5, "Liberation Sans Narrow", true);
    }
    // Small pictures of the three needles beside their legends: long thin, middle broad, short
    // triangle.
    art::setColour(cr, 205, 205, 198);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, 117, 190);
    cairo_line_to(cr, 134, 190);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.4);
    cairo_move_to(cr, 119, 203);
    cairo_line_to(cr, 132, 203);
    cairo_stroke(cr);
    cairo_move_to(cr, 121, 212.5);
    cairo_line_to(cr, 121, 219.5);
    cairo_line_to(cr, 130, 216);
    cairo_close_path(cr);
    cairo_fill(cr);

    // Pressure-setting window: a bevelled frame around the text box at 200,145 (60 x 22).
    roundedRect(cr, 194.5, 139.5, 72, 34, 4);
    art::setColour(cr, 62, 62, 64);
    cairo_fill(cr);
    cairo_move_to(cr, 197, 171);
    cairo_line_to(cr, 197, 142);
    cairo_line_to(cr, 264, 142);
    art::setColour(cr, 20, 20, 21);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_move_to(cr, 264, 142);
    cairo_line_to(cr, 264, 171);
    cairo_line_to(cr, 197, 171);
    art::setColour(cr, 110, 110, 112);
    cairo_stroke(cr);
    cairo_rectangle(cr, 200, 145, 60, 22);
    art::setColour(cr, 8, 8, 8);
    cairo_fill(cr);

    // Setting knob at the lower left corner, knurled, in front of the case; its left and right
    // halves are the two turning rectangles (x 30..44 and 54..68, y 260..284).
    const double kx = 49, ky = 272;
    circle(cr, kx + 1.5, ky + 2, 14);
    art::setColour(cr, 14, 14, 15);
    cairo_fill(cr);
    cairo_pattern_t* knob = cairo_pattern_create_radial(kx - 4, ky - 5, 1, kx, ky, 14);
    cairo_pattern_add_color_stop_rgb(knob, 0, 0.62, 0.62, 0.63);
    cairo_pattern_add_color_stop_rgb(knob, 1, 0.18, 0.18, 0.19);
    circle(cr, kx, ky, 13);
    cairo_set_source(cr, knob);
    cairo_fill(cr);
    cairo_pattern_destroy(knob);
    art::setColour(cr, 40, 40, 42);
    cairo_set_line_width(cr, 1.2);
    for (int k = 0; k < 28; ++k) {
        double a = radians(k * 360.0 / 28);
        cairo_move_to(cr, kx + 10 * std::cos(a), ky + 10 * std::sin(a));
        cairo_line_to(cr, kx + 13 * std::cos(a), ky + 13 * std::sin(a));
    }
    cairo_stroke(cr);
    circle(cr, kx, ky, 6.5);
    art::setColour(cr, 92, 92, 95);
    cairo_fill(cr);

    art::save8(canvas, dir + "/1000.bmp");
    art::freeCanvas(canvas);
}

const int needleCream[3] = {242, 238, 222};

void cream(cairo_t* cr) { art::setColour(cr, needleCream[0], needleCream[1], needleCream[2]); }

// Long needle (100 feet per numeral): 130 x 21, pivot 9,10, a thin tapering pointer.
void drawLongNeedle(const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(130, 21);
    cairo_t* cr = canvas.cr;
    const double px = 9.5, py = 10.5;
    cream(cr);
    cairo_move_to(cr, px, py - 2.6);
    cairo_line_to(cr, 104, py - 1.5);
    cairo_line_to(cr, 129.8, py);
    cairo_line_to(cr, 104, py + 1.5);
    cairo_line_to(cr, px, py + 2.6);
    cairo_close_path(cr);
    cairo_fill(cr);
    circle(cr, px, py, 8.4);
    cairo_fill(cr);
    circle(cr, px, py, 2.6);
    art::setColour(cr, 120, 118, 110);
    cairo_fill(cr);
    art::clearDarkFringe(canvas, 64);
    art::save8(canvas, dir + "/2003.bmp");
    art::freeCanvas(canvas);
}

// Middle needle (1000 feet per numeral): 93 x 15, pivot 6,7, a broad shaft with a lance head.
void drawMiddleNeedle(const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(93, 15);
    cairo_t* cr = canvas.cr;
    const double px = 6.5, py = 7.5;
    cream(cr);
    cairo_move_to(cr, px, py - 3.2);
    cairo_line_to(cr, 58, py - 3.2);
    cairo_line_to(cr, 70, py - 5.6);
    cairo_line_to(cr, 92.8, py);
    cairo_line_to(cr, 70, py + 5.6);
    cairo_line_to(cr, 58, py + 3.2);
    cairo_line_to(cr, px, py + 3.2);
    cairo_close_path(cr);
    cairo_fill(cr);
    circle(cr, px, py, 6.4);
    cairo_fill(cr);
    art::clearDarkFringe(canvas, 64);
    art::save8(canvas, dir + "/3003.bmp");
    art::freeCanvas(canvas);
}

// Short needle (10000 feet per numeral): 58 x 11, pivot 6,7, a wide stubby triangle.
void drawShortNeedle(const std::string& dir) {
    art::Canvas canvas = art::makeCanvas(58, 11);
    cairo_t* cr = canvas.cr;
    const double px = 6.5, py = 7.5;
    cream(cr);
    cairo_move_to(cr, px, py - 3.5);
    cairo_line_to(cr, 57.8, py);
    cairo_line_to(cr, px, py + 3.5);
    cairo_close_path(cr);
    cairo_fill(cr);
    circle(cr, px, py, 3.5);
    cairo_fill(cr);
    art::clearDarkFringe(canvas, 64);
    art::save8(canvas, dir + "/3503.bmp");
    art::freeCanvas(canvas);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resources directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/altimeter_pair";
    art::makeDirectories(dir);
    drawDial(dir);
    drawLongNeedle(dir);
    drawMiddleNeedle(dir);
    drawShortNeedle(dir);
    return 0;
}
