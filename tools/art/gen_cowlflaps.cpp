// Draws the bitmaps of the cowl flap gauge into <resources>/cowl_flaps/<id>.bmp:
//   1000          the lettered plate, 300 x 117, 256 colours;
//   9472..9484    the left lever in its five pictures, 110 x 110, 24-bit;
//   13568..13580  the right lever, the same five pictures.
//
// A lever image is drawn at gauge position 0, -5 (left) or 185, -5 (right). The lever pivots
// near the top centre of its image and swings over the plate's lettering; image index 0 shows
// OPEN (tip down and to the right), 1 the OFF on the opening side, 2 TRAIL (straight down),
// 3 the OFF on the closing side and 4 CLOSE (tip down and to the left).
#include "artlib.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

const double kPi = 3.14159265358979323846;

// Pivot of the lever inside its image. Placed a little left of the image centre, so that
// the lever at TRAIL points at the TRAIL lettering of both levers, whose images stand at
// different offsets from their lettering.
const double kPivotX = 53.0, kPivotY = 14.0;
// Distance from the pivot to the centre of the knob at the lever's end.
const double kLeverLength = 66.0;
// Lever angle from straight down, positive towards the right, for image index 0..4.
const double kLeverAngle[5] = {28.0, 15.0, 0.0, -15.0, -28.0};

// Lever images as drawn on the gauge: x offset and first bitmap id.
const int kLeftLeverX = 0, kRightLeverX = 185, kLeverY = -5;
const int kLeftLeverId = 9472, kRightLeverId = 13568;

void addStop(cairo_pattern_t* p, double offset, int r, int g, int b) {
    cairo_pattern_add_color_stop_rgb(p, offset, r / 255.0, g / 255.0, b / 255.0);
}

void fillBall(cairo_t* cr, double cx, double cy, double r, int r0, int g0, int b0, int r1, int g1, int b1) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.4, r * 0.1, cx, cy, r);
    addStop(p, 0.0, r1, g1, b1);
    addStop(p, 1.0, r0, g0, b0);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// Deterministic grain for the plate's metal.
uint32_t grain(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 24;
}

// ---------------------------------------------------------------------------------------
// Plate

struct Position {
    const char* text;
    int x;  // left edge of the lettering's box (the position's click area), 20 wide
};
// From left to right under each lever; boxes 90..115 high.
const Position kLeftPositions[5] = {{"CLOSE", 0}, {"OFF", 22}, {"TRAIL", 45}, {"OFF", 67}, {"OPEN", 90}};
const Position kRightPositions[5] = {{"CLOSE", 180}, {"OFF", 202}, {"TRAIL", 225}, {"OFF", 248}, {"OPEN", 270}};

const char* kLetterFace = "Liberation Sans Narrow";

// Largest size at which `text` fits `width` pixels in the lettering face.
double fitSize(cairo_t* cr, const char* text, double width, double start) {
    cairo_select_font_face(cr, kLetterFace, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    double size = start;
    for (;;) {
        cairo_set_font_size(cr, size);
        cairo_text_extents_t e;
        cairo_text_extents(cr, text, &e);
        if (e.width <= width || size < 4) return size;
        size -= 0.25;
    }
}

// The quadrant a lever swings over: an arc with a mark at each of the five positions.
void quadrant(cairo_t* cr, double px, double py) {
    const double r = 80.0;
    auto at = [&](double deg, double radius, double& x, double& y) {
        double a = deg * kPi / 180;
        x = px + radius * std::sin(a);
        y = py + radius * std::cos(a);
    };
    cairo_set_line_width(cr, 1.2);
    art::setColour(cr, 150, 152, 156);
    // The arc from the CLOSE mark to the OPEN mark (angles measured from straight down).
    cairo_new_path(cr);
    for (int k = 0; k <= 60; ++k) {
        double x, y;
        at(-31.0 + 62.0 * k / 60, r, x, y);
        if (k == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_stroke(cr);
    for (int i = 0; i < 5; ++i) {
        double x0, y0, x1, y1;
        bool stop = i == 0 || i == 2 || i == 4;  // OPEN, TRAIL, CLOSE: longer marks
        at(kLeverAngle[i], r - (stop ? 5.0 : 3.0), x0, y0);
        at(kLeverAngle[i], r + (stop ? 4.0 : 2.0), x1, y1);
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_set_line_width(cr, stop ? 1.6 : 1.1);
        art::setColour(cr, 226, 226, 216);
        cairo_stroke(cr);
    }
}

void screw(cairo_t* cr, double x, double y) {
    fillBall(cr, x, y, 3.0, 60, 61, 64, 190, 190, 194);
    cairo_move_to(cr, x - 2.1, y + 2.1);
    cairo_line_to(cr, x + 2.1, y - 2.1);
    cairo_set_line_width(cr, 0.8);
    art::setColour(cr, 34, 34, 36);
    cairo_stroke(cr);
}

// Small solid arrow head pointing left (dir -1) or right (dir +1) with its tip at x, y.
void arrowHead(cairo_t* cr, double x, double y, int dir) {
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x - dir * 5.0, y - 3.2);
    cairo_line_to(cr, x - dir * 5.0, y + 3.2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void plate(const std::string& dir) {
    const int w = 300, h = 117;
    art::Canvas c = art::makeCanvas(w, h);
    cairo_t* cr = c.cr;

    // Dark grey metal with a faint horizontal brushing and bevelled edges.
    cairo_rectangle(cr, 0, 0, w, h);
    art::setColour(cr, 60, 62, 65);
    cairo_fill(cr);
    uint32_t state = 1000;
    for (int y = 0; y < h; ++y) {
        int row = int(grain(state) % 5) - 2;
        for (int x = 0; x < w; ++x) {
            int d = row + int(grain(state) % 5) - 2;
            art::Rgb p = art::pixelAt(c, x, y);
            art::setPixel(c, x, y, {uint8_t(p.r + d), uint8_t(p.g + d), uint8_t(p.b + d)});
        }
    }
    cairo_set_line_width(cr, 1.0);
    art::setColour(cr, 104, 106, 110);
    cairo_move_to(cr, 0.5, h - 1);
    cairo_line_to(cr, 0.5, 0.5);
    cairo_line_to(cr, w - 1, 0.5);
    cairo_stroke(cr);
    art::setColour(cr, 84, 86, 90);
    cairo_move_to(cr, 1.5, h - 2);
    cairo_line_to(cr, 1.5, 1.5);
    cairo_line_to(cr, w - 2, 1.5);
    cairo_stroke(cr);
    art::setColour(cr, 28, 29, 31);
    cairo_move_to(cr, 0.5, h - 0.5);
    cairo_line_to(cr, w - 0.5, h - 0.5);
    cairo_line_to(cr, w - 0.5, 0.5);
    cairo_stroke(cr);
    art::setColour(cr, 40, 41, 44);
    cairo_move_to(cr, 1.5, h - 1.5);
    cairo_line_to(cr, w - 1.5, h - 1.5);
    cairo_line_to(cr, w - 1.5, 1.5);
    cairo_stroke(cr);

    // The quadrants under the two levers (pivots in gauge pixels).
    quadrant(cr, kLeftLeverX + kPivotX, kLeverY + kPivotY);
    quadrant(cr, kRightLeverX + kPivotX, kLeverY + kPivotY);

    // Position lettering, each word inside its click area; one size for all of them.
    double size = fitSize(cr, "CLOSE", 19.0, 8.5);
    size = std::min(size, fitSize(cr, "TRAIL", 19.0, 8.5));
    art::setColour(cr, 230, 230, 220);
    for (const Position* set : {kLeftPositions, kRightPositions})
        for (int i = 0; i < 5; ++i) art::centredText(cr, set[i].text, set[i].x + 10.0, 102.5, size, kLetterFace, true);

    // Lever names in the band between the two levers, each with an arrow towards its lever.
    const double mid = (kLeftLeverX + 110 + kRightLeverX) / 2.0;
    double nameSize = fitSize(cr, "R.H. COWL", 50.0, 10.0);
    art::setColour(cr, 230, 230, 220);
    art::centredText(cr, "L.H. COWL", mid + 4, 44, nameSize, kLetterFace, true);
    art::centredText(cr, "R.H. COWL", mid - 4, 64, nameSize, kLetterFace, true);
    arrowHead(cr, mid - 29, 44, -1);
    arrowHead(cr, mid + 29, 64, +1);
    // A rule between the names.
    cairo_move_to(cr, mid - 24, 54.5);
    cairo_line_to(cr, mid + 24, 54.5);
    cairo_set_line_width(cr, 1.0);
    art::setColour(cr, 150, 152, 156);
    cairo_stroke(cr);

    for (double x : {7.0, w - 7.0}) screw(cr, x, h / 2.0 - 28);
    screw(cr, mid, 12.0);
    screw(cr, mid, 84.0);

    art::save8(c, dir + "/cowl_flaps/1000.bmp");
    art::freeCanvas(c);
}

// ---------------------------------------------------------------------------------------
// Levers

// The lever, pointing `angleDeg` from straight down (positive to the right): a pivot boss,
// a tapered flat arm and a round knob, with a shadow cast down and to the right onto the
// plate.
void drawLever(art::Canvas& c, double angleDeg) {
    cairo_t* cr = c.cr;
    double a = angleDeg * kPi / 180;
    double dx = std::sin(a), dy = std::cos(a);  // along the arm
    double nx = dy, ny = -dx;                   // across it
    double kx = kPivotX + kLeverLength * dx, ky = kPivotY + kLeverLength * dy;
    const double baseHalf = 4.5, tipHalf = 3.0, knob = 8.0, boss = 9.5;

    auto armPath = [&](double ox, double oy) {
        cairo_new_path(cr);
        cairo_move_to(cr, ox + kPivotX + nx * baseHalf, oy + kPivotY + ny * baseHalf);
        cairo_line_to(cr, ox + kx + nx * tipHalf, oy + ky + ny * tipHalf);
        cairo_line_to(cr, ox + kx - nx * tipHalf, oy + ky - ny * tipHalf);
        cairo_line_to(cr, ox + kPivotX - nx * baseHalf, oy + kPivotY - ny * baseHalf);
        cairo_close_path(cr);
    };

    // Shadow on the plate.
    const double sx = 2.5, sy = 3.0;
    art::setColour(cr, 30, 31, 33);
    armPath(sx, sy);
    cairo_fill(cr);
    cairo_arc(cr, kx + sx, ky + sy, knob, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_arc(cr, kPivotX + sx, kPivotY + sy, boss, 0, 2 * kPi);
    cairo_fill(cr);

    // Arm: brushed steel, lit along its left edge.
    armPath(0, 0);
    cairo_pattern_t* p = cairo_pattern_create_linear(kPivotX - nx * baseHalf, kPivotY - ny * baseHalf,
                                                     kPivotX + nx * baseHalf, kPivotY + ny * baseHalf);
    addStop(p, 0.0, 90, 92, 96);
    addStop(p, 0.45, 214, 216, 220);
    addStop(p, 0.7, 160, 162, 166);
    addStop(p, 1.0, 96, 98, 102);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 0.8);
    art::setColour(cr, 56, 57, 60);
    cairo_stroke(cr);

    // Pivot boss with its bolt.
    fillBall(cr, kPivotX, kPivotY, boss, 84, 86, 90, 210, 212, 216);
    cairo_arc(cr, kPivotX, kPivotY, boss - 0.5, 0, 2 * kPi);
    cairo_set_line_width(cr, 1.0);
    art::setColour(cr, 52, 53, 56);
    cairo_stroke(cr);
    cairo_new_path(cr);
    for (int k = 0; k < 6; ++k) {
        double t = kPi / 6 + k * kPi / 3;
        double x = kPivotX + 4.2 * std::cos(t), y = kPivotY + 4.2 * std::sin(t);
        if (k == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    art::setColour(cr, 120, 122, 126);
    cairo_fill_preserve(cr);
    art::setColour(cr, 60, 61, 64);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);

    // Knob: black plastic with a bright highlight and a light rim, so it reads on the plate.
    fillBall(cr, kx, ky, knob, 22, 22, 24, 150, 150, 156);
    cairo_arc(cr, kx, ky, knob - 0.5, 0, 2 * kPi);
    cairo_set_line_width(cr, 1.0);
    art::setColour(cr, 112, 112, 118);
    cairo_stroke(cr);
    fillBall(cr, kx - 2.6, ky - 2.8, 2.2, 150, 150, 156, 245, 245, 245);
}

void levers(const std::string& dir) {
    for (int i = 0; i < 5; ++i) {
        art::Canvas c = art::makeCanvas(110, 110);
        drawLever(c, kLeverAngle[i]);
        art::clearDarkFringe(c, 10);
        // The right lever shows the same pictures as the left one.
        art::save24(c, dir + "/cowl_flaps/" + std::to_string(kLeftLeverId + 3 * i) + ".bmp");
        art::save24(c, dir + "/cowl_flaps/" + std::to_string(kRightLeverId + 3 * i) + ".bmp");
        art::freeCanvas(c);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resources directory>\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    try {
        art::makeDirectories(dir + "/cowl_flaps");
        plate(dir);
        levers(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
