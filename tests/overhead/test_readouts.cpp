// The readout laws: each law on its examples, on values far outside its range, and cut to the
// field width; compiled in here (with out-of-range conversions made fatal) and, through each
// built module, bound to the element it serves and to no other.
#include <cmath>
#include <limits>

#include "fake_panel.h"
#include "overhead/readouts.h"

namespace {

using namespace bench;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

enum class Law { roundedThree, roundedFive, signedFour, bcdFrequency, bcdExtended, bcdCode };

const char* lawName(Law l) {
    static const char* names[] = {"roundedThreeDigitText",    "roundedFiveDigitText", "signedFourDigitText",
                                  "bcdFrequencyText", "bcdExtendedFrequencyText", "bcdCodeText"};
    return names[int(l)];
}

// One input of a law: the double it is called with and its element's three variables (the
// first and third in integer form, the second as a double), and the whole text it writes.
struct TextCase {
    Law law;
    double x;
    int32_t variable1;
    double variable2;
    int32_t variable3;
    const char* text;
    const char* reason;
};

const TextCase textCases[] = {
    {Law::roundedThree, 359.5, 0, 0, 0, "360", "half rounds up"},
    {Law::roundedThree, 2.5, 0, 0, 0, "003", "half away from zero"},
    {Law::roundedThree, -0.4, 0, 0, 0, "000", "rounds to zero"},
    {Law::roundedThree, -0.5, 0, 0, 0, "-01", "negative half away from zero; the sign counts toward the width"},
    {Law::roundedThree, -2.5, 0, 0, 0, "-03", "negative half"},
    {Law::roundedThree, 0.0, 0, 0, 0, "000", "zero"},
    {Law::roundedThree, 0.49999999999999994, 0, 0, 0, "001", "the half is added in double precision"},
    {Law::roundedThree, 1234.4, 0, 0, 0, "1234", "longer numbers are written whole"},
    {Law::roundedThree, 2147483646.6, 0, 0, 0, "2147483647", "the largest 32-bit value"},
    {Law::roundedThree, 2147483647.5, 0, 0, 0, "-2147483648", "rounded past the 32-bit range: x86 result"},
    {Law::roundedThree, 1e10, 0, 0, 0, "-2147483648", "far out of range"},
    {Law::roundedThree, -1e300, 0, 0, 0, "-2147483648", "far below range"},
    {Law::roundedThree, nan, 0, 0, 0, "-2147483648", "not a number"},
    {Law::roundedThree, inf, 0, 0, 0, "-2147483648", "infinity"},
    {Law::roundedFive, 12345.5, 0, 0, 0, "12346", "half rounds up"},
    {Law::roundedFive, 0.0, 0, 0, 0, "00000", "zero padded to five"},
    {Law::roundedFive, -7.5, 0, 0, 0, "-0008", "sign inside the width"},
    {Law::roundedFive, 123456.7, 0, 0, 0, "123457", "six digits written whole"},
    {Law::roundedFive, -inf, 0, 0, 0, "-2147483648", "minus infinity"},
    {Law::signedFour, -999.0, 0, 0, 0, "-0999", "sign column, then four digits"},
    {Law::signedFour, -999.5, 0, 0, 0, "-999", "below -999 the number's own sign, four characters"},
    {Law::signedFour, -1500.2, 0, 0, 0, "-1500", "truncated, own sign"},
    {Law::signedFour, 0.0, 0, 0, 0, " 0000", "space in the sign column"},
    {Law::signedFour, -0.0, 0, 0, 0, " 0000", "negative zero is not below zero"},
    {Law::signedFour, -0.2, 0, 0, 0, "-0000", "truncates toward zero, keeps the sign"},
    {Law::signedFour, -12.9, 0, 0, 0, "-0012", "truncates, does not round"},
    {Law::signedFour, 12.9, 0, 0, 0, " 0012", "truncates, does not round"},
    {Law::signedFour, 10000.0, 0, 0, 0, " 10000", "five digits written whole"},
    {Law::signedFour, 1e12, 0, 0, 0, " -2147483648", "far out of range: x86 result after the space"},
    {Law::signedFour, -1e12, 0, 0, 0, "-2147483648", "far below range"},
    {Law::signedFour, nan, 0, 0, 0, " -2147483648", "not a number is not below zero"},
    {Law::bcdFrequency, 0, 0x2310, 0, 0, "123.10", "a 1, three digits, the point, two digits"},
    {Law::bcdFrequency, 0, 0, 0, 0, "100.00", "zero"},
    {Law::bcdFrequency, 0, 0x0995, 0, 0, "109.95", "leading BCD zero"},
    {Law::bcdFrequency, 0, 0x3697, 0, 0, "136.97", "top of the band"},
    {Law::bcdFrequency, 0, 0x12345, 0, 0, "112.34", "a fifth digit: only characters 3 and 4 move"},
    {Law::bcdFrequency, 0, -1, 0, 0, "1FF.FFFFF", "all 32 bits, unsigned"},
    {Law::bcdExtended, 0, 0x234, 0.0, 0x105, " 234", "short form: variable3 ignored"},
    {Law::bcdExtended, 0, 0x234, nan, 0x105, " 234", "not a number counts as zero"},
    {Law::bcdExtended, 0, 0x5, 0.0, 0, " 005", "short form padded to three digits"},
    {Law::bcdExtended, 0, 0x234, 1.0, 0x105, "1234.5", "long form with a leading 1"},
    {Law::bcdExtended, 0, 0x234, 1.0, 5, "0234.5", "long form with a leading 0"},
    {Law::bcdExtended, 0, 0x234, 1.0, 0x10C, "1234.12", "low byte in decimal"},
    {Law::bcdExtended, 0, 0x456, 1.0, 0x100, "1456.0", "low byte zero"},
    {Law::bcdExtended, 0, 0x234, -1.0, 0xFF, "0234.255", "any non-zero extension; 255 is not above 255"},
    {Law::bcdExtended, 0, -1, 1.0, -1, "1FFFFFFFF.255", "everything out of range: the longest text"},
    {Law::bcdExtended, 0, -1, 0.0, 0, " FFFFFFFF", "short form out of range"},
    {Law::bcdCode, 0, 0x1200, 0, 0, "1200  ", "four digits and two spaces"},
    {Law::bcdCode, 0, 0x7777, 0, 0, "7777  ", "four digits and two spaces"},
    {Law::bcdCode, 0, 0, 0, 0, "0000  ", "zero"},
    {Law::bcdCode, 0, 0x5, 0, 0, "0005  ", "padded to four digits"},
    {Law::bcdCode, 0, 0x12345, 0, 0, "1234  ", "a fifth digit is covered by the spaces"},
    {Law::bcdCode, 0, 0x12345678, 0, 0, "1234  78", "digits past the spaces stay"},
};

// Runs one case on `e`, in a buffer of exactly maxChars + 1 bytes followed by guard bytes, and
// returns the text. Fails the test if the law writes past the buffer or returns another value.
std::string runCase(StringElement& e, const TextCase& c) {
    constexpr char guard = '\x5A';
    std::vector<char> buffer(e.maxChars + 1 + 16, guard);
    e.textBuffer = buffer.data();
    setIntegerValue(e.variable1, c.variable1);
    e.variable2.value = c.variable2;
    setIntegerValue(e.variable3, c.variable3);
    double result = e.valueCallback(c.x);
    e.textBuffer = nullptr;
    if (std::isnan(c.x))
        EXPECT_TRUE(std::isnan(result)) << c.reason << ": returns what it received";
    else
        EXPECT_EQ(result, c.x) << c.reason << ": returns what it received";
    for (size_t i = e.maxChars + 1; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], guard) << c.reason << ": byte " << i << " past the buffer written";
    const char* end = static_cast<const char*>(std::memchr(buffer.data(), '\0', e.maxChars + 1));
    EXPECT_NE(end, nullptr) << c.reason << ": no terminator inside the buffer";
    return end ? std::string(buffer.data(), size_t(end - buffer.data())) : std::string();
}

// Each law stamped on a wide element of its own, so every text is seen whole.
StringElement wideThree{}, wideFive{}, wideSigned{}, wideFrequency{}, wideExtended{}, wideCode{};

StringElement& wide(Law l) {
    StringElement* elements[] = {&wideThree, &wideFive, &wideSigned, &wideFrequency, &wideExtended, &wideCode};
    static const TextCallback laws[] = {roundedThreeDigitText<wideThree>,     roundedFiveDigitText<wideFive>,
                                        signedFourDigitText<wideSigned>,      bcdFrequencyText<wideFrequency>,
                                        bcdExtendedFrequencyText<wideExtended>, bcdCodeText<wideCode>};
    StringElement& e = *elements[int(l)];
    e.valueCallback = laws[int(l)];
    e.maxChars = 20;
    return e;
}

TEST(ReadoutLaws, WriteTheirWholeTextOnEveryExample) {
    for (const TextCase& c : textCases)
        EXPECT_EQ(runCase(wide(c.law), c), c.text) << lawName(c.law) << ": " << c.reason;
}

TEST(ReadoutLaws, TextsAreCutAfterTheFieldWidth) {
    for (uint32_t width : {0u, 1u, 3u, 4u, 6u}) {
        for (const TextCase& c : textCases) {
            StringElement& e = wide(c.law);
            e.maxChars = width;
            std::string expected = std::string(c.text).substr(0, width);
            EXPECT_EQ(runCase(e, c), expected) << lawName(c.law) << " width " << width << ": " << c.reason;
        }
    }
}

TEST(ReadoutLaws, ConversionIsDefinedForEveryDouble) {
    const std::pair<double, int32_t> cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {-0.9, 0},
        {2147483647.0, 2147483647},
        {2147483647.99, 2147483647},
        {2147483648.0, std::numeric_limits<int32_t>::min()},
        {-2147483648.0, std::numeric_limits<int32_t>::min()},
        {-2147483649.0, std::numeric_limits<int32_t>::min()},
        {1e300, std::numeric_limits<int32_t>::min()},
        {inf, std::numeric_limits<int32_t>::min()},
        {-inf, std::numeric_limits<int32_t>::min()},
        {nan, std::numeric_limits<int32_t>::min()},
    };
    for (auto [x, i] : cases) EXPECT_EQ(x86Int32(x), i) << x;
}

TEST(CompassCard, HorizontalValueIsTheHeadingFromTheRightEndInsideZeroTo360) {
    const std::pair<double, double> cases[] = {
        {0.0, 360.0}, {-0.0, 360.0}, {360.0, 0.0}, {90.0, 270.0}, {359.75, 0.25},
        {-0.1, 0.0}, {360.1, 0.0},   {-1e9, 0.0},  {1e9, 0.0},    {nan, 0.0},
        {inf, 0.0},  {-inf, 0.0},
    };
    for (auto [heading, x] : cases) {
        ModuleVar v = moduleVar(83);
        v.value = heading;
        EXPECT_EQ(compassCardX(&v), x) << "heading " << heading;
        EXPECT_EQ(compassCardY(&v), 1.0) << "the vertical value is always 1";
    }
}

// Which element of each module serves which law (element numbers of its table).
struct Served {
    Law law;
    int element;
    uint32_t maxChars;
};

struct ModuleReadouts {
    Overhead module;
    std::vector<Served> served;
};

std::ostream& operator<<(std::ostream& out, const ModuleReadouts& m) { return out << m.module.name; }

const ModuleReadouts moduleReadouts[] = {
    {firstOfficer,
     {{Law::roundedThree, 12, 3},
      {Law::roundedFive, 40, 5},
      {Law::signedFour, 41, 5},
      {Law::bcdFrequency, 4, 6},
      {Law::bcdFrequency, 42, 6},
      {Law::bcdFrequency, 44, 6},
      {Law::bcdExtended, 43, 3},
      {Law::bcdCode, 45, 4}}},
    {captain,
     {{Law::roundedThree, 12, 3},
      {Law::roundedFive, 36, 5},
      {Law::signedFour, 37, 5},
      {Law::bcdFrequency, 4, 6},
      {Law::bcdFrequency, 38, 6},
      {Law::bcdFrequency, 40, 6},
      {Law::bcdExtended, 39, 4},
      {Law::bcdCode, 41, 6}}},
};

class ModuleReadout : public testing::TestWithParam<ModuleReadouts> {
protected:
    void SetUp() override {
        freshProcessState();
        module = std::make_unique<Module>(GetParam().module.path);
        ASSERT_TRUE(module->loaded());
    }
    std::unique_ptr<Module> module;
};

TEST_P(ModuleReadout, EachElementRunsItsLawOnItsOwnVariablesCutToItsWidth) {
    for (const Served& s : GetParam().served) {
        StringElement& e = module->text(s.element);
        ASSERT_EQ(e.header.kind, String) << "element " << s.element;
        EXPECT_EQ(e.maxChars, s.maxChars) << "element " << s.element;
        for (const TextCase& c : textCases) {
            if (c.law != s.law) continue;
            std::string expected = std::string(c.text).substr(0, s.maxChars);
            EXPECT_EQ(runCase(e, c), expected) << "element " << s.element << " " << lawName(c.law) << ": " << c.reason;
        }
    }
}

TEST_P(ModuleReadout, ALawWritesOnlyItsOwnElementsBuffer) {
    const auto& served = GetParam().served;
    for (const Served& writer : served) {
        std::vector<std::vector<char>> buffers;
        for (const Served& s : served) {
            buffers.emplace_back(module->text(s.element).maxChars + 1, '#');
            module->text(s.element).textBuffer = buffers.back().data();
        }
        module->text(writer.element).valueCallback(1.0);
        for (size_t i = 0; i < served.size(); ++i) {
            bool written = buffers[i][0] != '#';
            EXPECT_EQ(written, served[i].element == writer.element)
                << "calling element " << writer.element << "'s law, element " << served[i].element;
            module->text(served[i].element).textBuffer = nullptr;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothOverheads, ModuleReadout, testing::ValuesIn(moduleReadouts),
                         [](const auto& info) { return std::string(info.param.module.name); });

}  // namespace
