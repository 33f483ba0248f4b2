// Draws the bitmaps of the two overhead gauges into <resources>/overhead/<id>.bmp. Both
// overhead modules carry this one set: an id has the same picture and size in both.
//
// Every picture is drawn on pure black, which the panel host draws as transparent; surfaces
// meant to look black use a near-black colour. All bitmaps are 256-colour images except the
// compass card (3800) and its lubber-line overlay (3803), which are 24-bit.
//
// Icons show state k in bitmap id + 3k. Two-position toggles show the lever down (off) in
// state 0 and up (on) in state 1; three-position levers show centre, up, down.
#include "artlib.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string outDir;

const double kPi = 3.14159265358979323846;

std::string pathFor(int id) { return outDir + "/overhead/" + std::to_string(id) + ".bmp"; }

void save8(art::Canvas& c, int id) {
    art::save8(c, pathFor(id));
    art::freeCanvas(c);
}

void save24(art::Canvas& c, int id) {
    art::save24(c, pathFor(id));
    art::freeCanvas(c);
}

// An image that shows nothing: every pixel pure black.
void saveNothing(int id, int width, int height) {
    art::Canvas c = art::makeCanvas(width, height);
    save8(c, id);
}

void addStop(cairo_pattern_t* p, double offset, int r, int g, int b) {
    cairo_pattern_add_color_stop_rgb(p, offset, r / 255.0, g / 255.0, b / 255.0);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

// Fills the current path with a horizontal metal gradient (dark edges, bright band left of
// the middle), as a cylinder lit from the upper left looks.
void fillCylinder(cairo_t* cr, double x0, double x1, int dark, int light) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
    addStop(p, 0.0, dark, dark, dark + 4);
    addStop(p, 0.35, light, light, light);
    addStop(p, 0.6, (light + dark) / 2, (light + dark) / 2, (light + dark) / 2 + 4);
    addStop(p, 1.0, dark * 2 / 3, dark * 2 / 3, dark * 2 / 3 + 4);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// A ball or knob end lit from the upper left.
void fillBall(cairo_t* cr, double cx, double cy, double r, int r0, int g0, int b0, int r1, int g1, int b1) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.35, r * 0.1, cx, cy, r);
    addStop(p, 0.0, r1, g1, b1);
    addStop(p, 1.0, r0, g0, b0);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// ---------------------------------------------------------------------------------------
// Toggle levers

enum class Lever { Down, Up, Centre };

struct ToggleStyle {
    double bezelRadius;  // round mounting bezel
    double nutRadius;    // hex nut over it
    double shaftBase;    // shaft width at the nut
    double shaftTip;     // shaft width under the tip
    double tipRadius;    // ball or paddle at the lever's end
    bool redTip = false;
    bool paddle = false;  // flat paddle end instead of a ball
    bool blackTip = false;
};

void drawBezelAndNut(cairo_t* cr, double cx, double cy, const ToggleStyle& s) {
    // Mounting bezel: a dark ring with a lighter rim.
    cairo_arc(cr, cx, cy, s.bezelRadius, 0, 2 * kPi);
    art::setColour(cr, 38, 38, 41);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, s.bezelRadius - 0.6, 0, 2 * kPi);
    cairo_set_line_width(cr, 0.8);
    art::setColour(cr, 105, 105, 110);
    cairo_stroke(cr);
    // Hex nut.
    cairo_new_path(cr);
    for (int k = 0; k < 6; ++k) {
        double a = kPi / 6 + k * kPi / 3;
        double x = cx + s.nutRadius * std::cos(a), y = cy + s.nutRadius * std::sin(a);
        if (k == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(cx - s.nutRadius, cy - s.nutRadius, cx + s.nutRadius,
                                                     cy + s.nutRadius);
    addStop(p, 0.0, 200, 200, 204);
    addStop(p, 0.5, 132, 132, 138);
    addStop(p, 1.0, 70, 70, 76);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // Bore of the nut, where the lever leaves it.
    cairo_arc(cr, cx, cy, s.nutRadius * 0.45, 0, 2 * kPi);
    art::setColour(cr, 28, 28, 30);
    cairo_fill(cr);
}

void drawTip(cairo_t* cr, double cx, double ty, double r, const ToggleStyle& s) {
    if (s.paddle) {
        roundedRect(cr, cx - r, ty - r * 0.8, 2 * r, r * 1.6, r * 0.5);
        fillCylinder(cr, cx - r, cx + r, 150, 245);
        return;
    }
    if (s.redTip)
        fillBall(cr, cx, ty, r, 120, 10, 10, 255, 120, 110);
    else if (s.blackTip)
        fillBall(cr, cx, ty, r, 26, 26, 28, 130, 130, 136);
    else
        fillBall(cr, cx, ty, r, 95, 95, 100, 250, 250, 250);
}

// A toggle lever seen from the front: bezel and nut at the image centre, the lever pointing
// up or down from it, or (centre position) straight at the viewer, showing only its end.
void drawToggle(art::Canvas& c, Lever lever, const ToggleStyle& s) {
    cairo_t* cr = c.cr;
    double cx = c.width / 2.0, cy = c.height / 2.0;
    drawBezelAndNut(cr, cx, cy, s);
    if (lever == Lever::Centre) {
        // Lever end-on: its end, foreshortened, covers the bore of the nut.
        drawTip(cr, cx, cy, s.tipRadius * 1.15, s);
        return;
    }
    double margin = s.paddle ? s.tipRadius * 0.8 + 0.8 : s.tipRadius + 0.6;
    double ty = lever == Lever::Up ? margin : c.height - margin;
    // Tapered shaft from the bore to the end.
    cairo_move_to(cr, cx - s.shaftBase / 2, cy);
    cairo_line_to(cr, cx - s.shaftTip / 2, ty);
    cairo_line_to(cr, cx + s.shaftTip / 2, ty);
    cairo_line_to(cr, cx + s.shaftBase / 2, cy);
    cairo_close_path(cr);
    fillCylinder(cr, cx - s.shaftBase / 2, cx + s.shaftBase / 2, 85, 235);
    drawTip(cr, cx, ty, s.tipRadius, s);
}

void toggleImages(int id, int width, int height, const ToggleStyle& s, bool threePositions) {
    std::vector<Lever> states = threePositions ? std::vector<Lever>{Lever::Centre, Lever::Up, Lever::Down}
                                               : std::vector<Lever>{Lever::Down, Lever::Up};
    for (size_t k = 0; k < states.size(); ++k) {
        art::Canvas c = art::makeCanvas(width, height);
        drawToggle(c, states[k], s);
        art::clearDarkFringe(c, 12);
        save8(c, id + 3 * int(k));
    }
}

// ---------------------------------------------------------------------------------------
// Mode buttons of the autopilot group

struct Rgb {
    int r, g, b;
};

const Rgb kButtonRim{96, 96, 100};
const Rgb kButtonEdge{52, 52, 56};
const Rgb kButtonFace{26, 26, 28};
const Rgb kLabelLit{244, 242, 226};
const Rgb kLabelArmed{255, 146, 24};

// A push button face with its label. The shapes are drawn without anti-aliasing and the
// label's coverage is stepped in sixteen levels, so the button uses only a few colours and
// keeps every one of them exactly in a 256-colour bitmap, also when the six lit buttons are
// put together into one strip.
void drawModeButton(art::Canvas& c, int width, int height, const std::string& label, Rgb labelColour) {
    cairo_t* cr = c.cr;
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(cr, 1, 0, width - 2, height);
    cairo_rectangle(cr, 0, 1, width, height - 2);
    art::setColour(cr, kButtonRim.r, kButtonRim.g, kButtonRim.b);
    cairo_fill(cr);
    cairo_rectangle(cr, 1, 1, width - 2, height - 2);
    art::setColour(cr, kButtonEdge.r, kButtonEdge.g, kButtonEdge.b);
    cairo_fill(cr);
    cairo_rectangle(cr, 2, 2, width - 4, height - 4);
    art::setColour(cr, kButtonFace.r, kButtonFace.g, kButtonFace.b);
    cairo_fill(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);

    // Label coverage, drawn into a mask of its own.
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* mc = cairo_create(mask);
    cairo_set_source_rgba(mc, 0, 0, 0, 1);
    const char* face = "Liberation Sans Narrow";
    double size = 8.5;
    cairo_select_font_face(mc, face, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_text_extents_t e;
    for (;;) {
        cairo_set_font_size(mc, size);
        cairo_text_extents(mc, label.c_str(), &e);
        if (e.width <= width - 6 || size < 5) break;
        size -= 0.25;
    }
    art::centredText(mc, label, width / 2.0, height / 2.0, size, face, true);
    cairo_destroy(mc);
    cairo_surface_flush(mask);
    unsigned char* m = cairo_image_surface_get_data(mask);
    int stride = cairo_image_surface_get_stride(mask);
    for (int y = 2; y < height - 2; ++y)
        for (int x = 2; x < width - 2; ++x) {
            int a = m[y * stride + x];
            int level = (a * 15 + 127) / 255;  // 0..15
            if (level == 0) continue;
            auto mix = [level](int f, int l) { return f + (l - f) * level / 15; };
            art::setPixel(c, x, y,
                          {uint8_t(mix(kButtonFace.r, labelColour.r)), uint8_t(mix(kButtonFace.g, labelColour.g)),
                           uint8_t(mix(kButtonFace.b, labelColour.b))});
        }
    cairo_surface_destroy(mask);
}

struct ModeLamp {
    int id;
    const char* label;
    int width, height;  // of the lit image
    int stripOffset;
    bool armedImage;  // index 2 shows the label in orange
};

const ModeLamp kModeLamps[] = {
    {2210, "AUTO", 27, 21, 0, false}, {2410, "ALT", 21, 22, 31, false}, {2610, "NAV", 21, 21, 53, false},
    {2810, "APP", 21, 21, 75, true},  {3010, "LOC", 21, 21, 97, true},  {3210, "HDG", 21, 21, 119, false},
};

void modeLamps() {
    art::Canvas strip = art::makeCanvas(152, 21);
    for (const ModeLamp& lamp : kModeLamps) {
        // Lit image. The ALT image is one row taller than the button; that row stays empty.
        art::Canvas lit = art::makeCanvas(lamp.width, lamp.height);
        drawModeButton(lit, lamp.width, 21, lamp.label, kLabelLit);
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < lamp.width; ++x) art::setPixel(strip, lamp.stripOffset + x, y, art::pixelAt(lit, x, y));
        save8(lit, lamp.id);

        // Index 1: nothing. The AUTO lamp's empty images keep the sizes its set gives them.
        if (lamp.id == 2210) {
            saveNothing(lamp.id + 3, 21, 21);
            saveNothing(lamp.id + 6, 27, 21);
        } else {
            saveNothing(lamp.id + 3, 21, 21);
            if (lamp.armedImage) {
                art::Canvas armed = art::makeCanvas(21, 21);
                drawModeButton(armed, 21, 21, lamp.label, kLabelArmed);
                save8(armed, lamp.id + 6);
            } else {
                saveNothing(lamp.id + 6, 21, 21);
            }
        }
    }
    // The strip must keep the lit images' colours exactly, so it may use 256 colours, pure black
    // among them, at most.
    std::set<uint32_t> colours;
    for (int y = 0; y < strip.height; ++y)
        for (int x = 0; x < strip.width; ++x) {
            art::Rgb p = art::pixelAt(strip, x, y);
            colours.insert((uint32_t(p.r) << 16) | (uint32_t(p.g) << 8) | p.b);
        }
    if (colours.size() > 256) throw std::runtime_error("button strip needs more than 256 colours");
    saveNothing(3410, 152, 21);
    save8(strip, 3413);
}

// ---------------------------------------------------------------------------------------
// Magneto selectors

// A rotary selector knob: a knurled metal collar and a pointer bar across it. `angle` turns
// the pointer from straight down, clockwise on the screen for positive values.
void drawSelectorKnob(art::Canvas& c, double cx, double cy, double angle) {
    cairo_t* cr = c.cr;
    const double collar = 20.0;
    // Shadow ring and knurled collar.
    cairo_arc(cr, cx, cy, collar + 1.5, 0, 2 * kPi);
    art::setColour(cr, 30, 30, 33);
    cairo_fill(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(cx - collar, cy - collar, cx + collar, cy + collar);
    addStop(p, 0.0, 190, 190, 195);
    addStop(p, 0.5, 120, 120, 126);
    addStop(p, 1.0, 60, 60, 66);
    cairo_arc(cr, cx, cy, collar, 0, 2 * kPi);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 1.0);
    for (int k = 0; k < 48; ++k) {
        double a = k * 2 * kPi / 48;
        cairo_move_to(cr, cx + (collar - 2.5) * std::cos(a), cy + (collar - 2.5) * std::sin(a));
        cairo_line_to(cr, cx + (collar - 0.3) * std::cos(a), cy + (collar - 0.3) * std::sin(a));
    }
    art::setColour(cr, 62, 62, 66);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, collar - 3, 0, 2 * kPi);
    art::setColour(cr, 44, 44, 48);
    cairo_fill(cr);

    // Pointer bar, drawn pointing down and turned into place.
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    const double tail = 16.0, tip = 26.0, half = 6.0;
    auto barPath = [&]() {
        cairo_new_path(cr);
        cairo_move_to(cr, -half, -tail + half);
        cairo_arc(cr, 0, -tail + half, half, kPi, 2 * kPi);
        cairo_line_to(cr, half, tip - 9);
        cairo_line_to(cr, 1.2, tip);
        cairo_line_to(cr, -1.2, tip);
        cairo_line_to(cr, -half, tip - 9);
        cairo_close_path(cr);
    };
    // Shadow under the bar.
    cairo_save(cr);
    cairo_translate(cr, 1.2, 1.2);
    barPath();
    art::setColour(cr, 18, 18, 20);
    cairo_fill(cr);
    cairo_restore(cr);
    barPath();
    cairo_pattern_t* bar = cairo_pattern_create_linear(-half, 0, half, 0);
    addStop(bar, 0.0, 40, 40, 44);
    addStop(bar, 0.3, 92, 92, 98);
    addStop(bar, 0.7, 46, 46, 50);
    addStop(bar, 1.0, 24, 24, 27);
    cairo_set_source(cr, bar);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(bar);
    cairo_set_line_width(cr, 0.8);
    art::setColour(cr, 120, 120, 126);
    cairo_stroke(cr);
    // White index line along the pointing half.
    cairo_move_to(cr, 0, 3);
    cairo_line_to(cr, 0, tip - 3);
    cairo_set_line_width(cr, 1.6);
    art::setColour(cr, 240, 240, 235);
    cairo_stroke(cr);
    // Centre screw.
    fillBall(cr, 0, -2, 2.2, 70, 70, 75, 170, 170, 175);
    cairo_restore(cr);
}

// Four positions a third of a right angle apart, from straight down to a quarter turn.
// The knob sits in the upper part of its image, so that its pointer, straight down, still
// ends above the lower edge of the overhead strip.
void selectorImages(int id, int width, int height, double cx, double cy, double direction) {
    for (int k = 0; k < 4; ++k) {
        art::Canvas c = art::makeCanvas(width, height);
        drawSelectorKnob(c, cx, cy, direction * k * kPi / 6);
        art::clearDarkFringe(c, 12);
        save8(c, id + 3 * k);
    }
}

// ---------------------------------------------------------------------------------------
// Ignition cut lever, red pull handles, dots

void ignitionCutImages() {
    for (int k = 0; k < 2; ++k) {
        art::Canvas c = art::makeCanvas(14, 48);
        cairo_t* cr = c.cr;
        // Guide plate and the slot the lever runs in.
        roundedRect(cr, 1, 1, 12, 46, 3);
        art::setColour(cr, 70, 70, 74);
        cairo_fill(cr);
        roundedRect(cr, 5, 4, 4, 40, 2);
        art::setColour(cr, 16, 16, 18);
        cairo_fill(cr);
        // Lever stem and red grip: up (index 0) or down (index 1, ignition cut).
        double gy = k == 0 ? 13.0 : 35.0;
        cairo_rectangle(cr, 5.5, gy - 1, 3, 2);
        art::setColour(cr, 150, 150, 155);
        cairo_fill(cr);
        roundedRect(cr, 1.5, gy - 5.5, 11, 11, 3);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, gy - 5.5, 0, gy + 5.5);
        addStop(p, 0.0, 240, 90, 80);
        addStop(p, 0.45, 196, 24, 20);
        addStop(p, 1.0, 110, 8, 8);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        cairo_set_line_width(cr, 0.8);
        art::setColour(cr, 70, 6, 6);
        cairo_stroke(cr);
        // Grip ridges.
        for (int r = -1; r <= 1; ++r) {
            cairo_move_to(cr, 3.5, gy + r * 2.6);
            cairo_line_to(cr, 10.5, gy + r * 2.6);
        }
        cairo_set_line_width(cr, 0.7);
        art::setColour(cr, 120, 12, 12);
        cairo_stroke(cr);
        art::clearDarkFringe(c, 12);
        save8(c, 2000 + 3 * k);
    }
}

// The red T handle, pushed in (index 0) or pulled out (index 1), where it hangs lower and
// shows its shaft below the mounting collar.
void redHandleImages() {
    for (int k = 0; k < 2; ++k) {
        art::Canvas c = art::makeCanvas(53, 59);
        cairo_t* cr = c.cr;
        const double cx = 26.5;
        // Mounting collar.
        roundedRect(cr, cx - 10, 1, 20, 11, 3);
        art::setColour(cr, 58, 58, 62);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1);
        art::setColour(cr, 118, 118, 124);
        cairo_stroke(cr);
        double top = k == 0 ? 6.0 : 26.0;
        double scale = k == 0 ? 1.0 : 1.06;
        if (k == 1) {
            cairo_rectangle(cr, cx - 3, 8, 6, top - 6);
            fillCylinder(cr, cx - 3, cx + 3, 90, 235);
        }
        cairo_save(cr);
        cairo_translate(cr, cx, top);
        cairo_scale(cr, scale, scale);
        // Stem under the bar, then the bar.
        cairo_new_path(cr);
        cairo_move_to(cr, -6, 0);
        cairo_line_to(cr, 6, 0);
        cairo_line_to(cr, 8, 22);
        cairo_line_to(cr, -8, 22);
        cairo_close_path(cr);
        roundedRect(cr, -23.5, 8, 47, 15, 7);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 24);
        addStop(p, 0.0, 232, 60, 52);
        addStop(p, 0.4, 204, 22, 18);
        addStop(p, 1.0, 104, 6, 6);
        cairo_set_source(cr, p);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        // Outline and highlight of the bar.
        roundedRect(cr, -23.5, 8, 47, 15, 7);
        cairo_set_line_width(cr, 1);
        art::setColour(cr, 78, 6, 6);
        cairo_stroke(cr);
        cairo_move_to(cr, -18, 11);
        cairo_line_to(cr, 18, 11);
        cairo_set_line_width(cr, 1.4);
        art::setColour(cr, 250, 140, 130);
        cairo_stroke(cr);
        cairo_restore(cr);
        art::clearDarkFringe(c, 12);
        save8(c, 1200 + 3 * k);
    }
}

void dot(int id, bool lit, art::Rgb centre, art::Rgb edge) {
    art::Canvas c = art::makeCanvas(3, 3);
    if (lit) {
        art::setPixel(c, 1, 1, centre);
        art::setPixel(c, 0, 1, edge);
        art::setPixel(c, 2, 1, edge);
        art::setPixel(c, 1, 0, edge);
        art::setPixel(c, 1, 2, edge);
    }
    save8(c, id);
}

// ---------------------------------------------------------------------------------------
// Compass card and window

// The heading scale seen through the compass window: one pixel per degree, a mark every
// 5 degrees, a longer one every 10, and a figure every 30 (N, 3, 6, E, ...). Headings from
// 2 degrees left of north round to 2 degrees past it again, so the card can scroll through
// every heading. Heading h is at x = h + 2.
void compassCard() {
    art::Canvas c = art::makeCanvas(365, 17);
    cairo_t* cr = c.cr;
    cairo_rectangle(cr, 0, 0, 365, 17);
    art::setColour(cr, 20, 20, 22);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.0);
    for (int h = -30; h <= 390; h += 5) {
        double x = h + 2 + 0.5;
        double len = h % 10 == 0 ? 5 : 3;
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x, len);
    }
    art::setColour(cr, 232, 232, 226);
    cairo_stroke(cr);
    static const char* names[] = {"N", "3", "6", "E", "12", "15", "S", "21", "24", "W", "30", "33"};
    for (int h = -30; h <= 390; h += 30) {
        int n = ((h % 360) + 360) % 360 / 30;
        bool cardinal = n % 3 == 0;
        if (cardinal)
            art::setColour(cr, 255, 255, 250);
        else
            art::setColour(cr, 224, 224, 218);
        art::centredText(cr, names[n], h + 2 + 0.5, 11.5, cardinal ? 9.5 : 8.5, "Liberation Sans", cardinal);
    }
    save24(c, 3800);
}

// Lubber line over the middle of the card: a thin orange line with a small pointer above.
void lubberLine() {
    art::Canvas c = art::makeCanvas(42, 17);
    cairo_t* cr = c.cr;
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(cr, 20, 0, 2, 17);
    art::setColour(cr, 255, 120, 20);
    cairo_fill(cr);
    cairo_move_to(cr, 17, 0);
    cairo_line_to(cr, 25, 0);
    cairo_line_to(cr, 21, 4);
    cairo_close_path(cr);
    cairo_fill(cr);
    save24(c, 3803);
}

// ---------------------------------------------------------------------------------------
// Placards

// Deterministic grain for metal surfaces.
uint32_t grain(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 24;
}

void placard(art::Canvas& c, double x, double y, double w, double h, uint32_t seed) {
    cairo_t* cr = c.cr;
    roundedRect(cr, x, y, w, h, 2.5);
    art::setColour(cr, 46, 47, 50);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    art::setColour(cr, 92, 93, 98);
    cairo_stroke(cr);
    uint32_t state = seed;
    for (int py = int(y) + 2; py < int(y + h) - 2; ++py)
        for (int px = int(x) + 2; px < int(x + w) - 2; ++px) {
            int d = int(grain(state) % 7) - 3;
            art::Rgb p = art::pixelAt(c, px, py);
            art::setPixel(c, px, py, {uint8_t(p.r + d), uint8_t(p.g + d), uint8_t(p.b + d)});
        }
    // Screws near the ends.
    double sy = y + h / 2;
    double r = std::min(2.5, h / 6);
    for (double sx : {x + 3.5 + r, x + w - 3.5 - r}) {
        fillBall(cr, sx, sy, r, 70, 70, 75, 185, 185, 190);
        cairo_move_to(cr, sx - r * 0.7, sy);
        cairo_line_to(cr, sx + r * 0.7, sy);
        cairo_set_line_width(cr, 0.7);
        art::setColour(cr, 40, 40, 44);
        cairo_stroke(cr);
    }
}

void placards() {
    // 1400: a blank placard with four corner screws.
    {
        art::Canvas c = art::makeCanvas(100, 88);
        cairo_t* cr = c.cr;
        roundedRect(cr, 1, 1, 98, 86, 4);
        art::setColour(cr, 46, 47, 50);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1);
        art::setColour(cr, 92, 93, 98);
        cairo_stroke(cr);
        uint32_t state = 1400;
        for (int y = 3; y < 85; ++y)
            for (int x = 3; x < 97; ++x) {
                int d = int(grain(state) % 7) - 3;
                art::Rgb p = art::pixelAt(c, x, y);
                art::setPixel(c, x, y, {uint8_t(p.r + d), uint8_t(p.g + d), uint8_t(p.b + d)});
            }
        for (double sx : {7.0, 93.0})
            for (double sy : {7.0, 81.0}) {
                fillBall(cr, sx, sy, 2.5, 70, 70, 75, 185, 185, 190);
                cairo_move_to(cr, sx - 1.8, sy - 1.8);
                cairo_line_to(cr, sx + 1.8, sy + 1.8);
                cairo_set_line_width(cr, 0.7);
                art::setColour(cr, 40, 40, 44);
                cairo_stroke(cr);
            }
        save8(c, 1400);
    }
    // 6000 is never seen as anything; 6003 is a long placard strip.
    saveNothing(6000, 24, 23);
    {
        art::Canvas c = art::makeCanvas(832, 23);
        placard(c, 0.5, 0.5, 831, 22, 6003);
        save8(c, 6003);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resources directory>\n", argv[0]);
        return 2;
    }
    outDir = argv[1];
    try {
        art::makeDirectories(outDir + "/overhead");

        // Background and compass window: entirely transparent.
        saveNothing(1000, 1023, 85);
        saveNothing(3600, 66, 69);
        compassCard();
        lubberLine();
        placards();

        modeLamps();

        ignitionCutImages();
        // The two knobs stand mirror-symmetric about the ignition cut lever between them.
        selectorImages(1600, 63, 65, 32.5, 28.5, +1.0);  // engine 1: clockwise, down to pointing left
        selectorImages(1800, 67, 65, 31.5, 27.5, -1.0);  // engine 2: counter-clockwise, down to pointing right
        redHandleImages();

        dot(4200, true, {110, 255, 110}, {30, 150, 40});
        dot(4203, false, {}, {});
        dot(4300, false, {}, {});
        dot(4303, true, {255, 190, 80}, {190, 100, 20});

        ToggleStyle small{6.5, 4.6, 3.0, 2.2, 2.6};
        toggleImages(4400, 15, 22, small, false);
        ToggleStyle paddle = small;
        paddle.paddle = true;
        paddle.tipRadius = 2.8;
        toggleImages(6200, 15, 22, paddle, false);
        ToggleStyle wide{7.0, 5.0, 3.2, 2.4, 2.8};
        wide.blackTip = true;
        toggleImages(4600, 16, 22, wide, false);
        ToggleStyle medium{6.5, 4.6, 3.0, 2.2, 2.8};
        toggleImages(5400, 15, 26, medium, false);
        ToggleStyle redMedium{7.0, 5.0, 3.2, 2.4, 3.0};
        redMedium.redTip = true;
        toggleImages(5000, 16, 26, redMedium, false);
        ToggleStyle longLever{7.0, 5.0, 3.4, 2.4, 3.0};
        toggleImages(5200, 16, 35, longLever, false);
        ToggleStyle longBlack = longLever;
        longBlack.blackTip = true;
        toggleImages(5700, 16, 35, longBlack, false);
        ToggleStyle three{6.5, 4.6, 3.0, 2.2, 2.7};
        toggleImages(4800, 15, 26, three, true);
        ToggleStyle threeBlack{6.5, 4.6, 3.0, 2.2, 2.8};
        threeBlack.blackTip = true;
        toggleImages(5600, 15, 27, threeBlack, true);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
