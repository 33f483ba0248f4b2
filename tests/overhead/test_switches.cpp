// The switch, button and lamp families, driven through each built module's own instances:
// position switches, the starter selector's interlock, toggles, event switches, handles,
// buttons and the lamp and handle laws with their flags.
#include <cmath>
#include <limits>

#include "fake_panel.h"

namespace {

using namespace bench;

// Where each module's instances are: element numbers and rectangle numbers of its tables.
struct Layout {
    Overhead module;
    int32_t switchClick, selectorSound, longToggleSound;
    int selectorA, selectorB, starter;  // icons
    int selectorARects[3], selectorBRects[3], starterRects[3];  // by position 0, 1, 2
    int engineToggles[2];                                       // icons of engine 1, engine 2
    int engineToggleRects[2][2];                                // [engine][upper, lower]
    int gangedIcons[2];
    int gangedOnRects[2], gangedOffRects[2];
    uint32_t gangedOn, gangedOff;
    int singleEventIcon, singleEventRects[2];  // on, off
    uint32_t singleOn, singleOff;
    int leftHandle, rightHandle;
    bool leftPullRepeats;
    int modeButtonRects[6];  // AUTO, HDG, ALT, NAV, APP, LOC
};

std::ostream& operator<<(std::ostream& out, const Layout& l) { return out << l.module.name; }

const Layout layouts[] = {
    {firstOfficer, 9001, 9301, 9401, 37, 36, 35, {51, 50, 52}, {54, 53, 55}, {57, 56, 58}, {34, 33},
     {{59, 60}, {61, 62}}, {30, 29}, {65, 67}, {66, 68}, 66072, 66073, 23, {74, 75}, 66049, 66050, 17, 16, true,
     {19, 20, 21, 22, 23, 24}},
    {captain, 9001, 9601, 9801, 26, 25, 24, {61, 60, 62}, {64, 63, 65}, {67, 66, 68}, {23, 22},
     {{69, 70}, {71, 72}}, {33, 32}, {50, 52}, {51, 53}, 66059, 66060, 31, {54, 55}, 66052, 66053, 17, 16, false,
     {19, 20, 21, 22, 23, 24}},
};

constexpr int handlePush[2] = {1, 3}, handlePull[2] = {2, 4};  // left, right
constexpr int leverIcon = 13, cutRect = 9, restoreRect = 10;

class Switches : public testing::TestWithParam<Layout> {
protected:
    void SetUp() override {
        freshProcessState();
        module = std::make_unique<Module>(l().module.path);
        ASSERT_TRUE(module->loaded());
        module->install();
    }
    void TearDown() override {
        if (module) module->kill();
    }

    const Layout& l() const { return GetParam(); }
    Module& m() { return *module; }
    double value(int icon) { return m().icon(icon).variable.value; }

    int32_t click(int rect) {
        panel().clearLog();
        uint32_t mark = platformSoundPlayCount();
        int32_t result = m().click(rect);
        sounds = soundsSince(mark, m().handle());
        return result;
    }

    std::unique_ptr<Module> module;
    std::vector<int32_t> sounds;
};

struct PositionStep {
    int position;
    double shown;
    bool selectorSound;  // else the switch click
    const char* reason;
};

TEST_P(Switches, PositionSwitchMovesStraightToTheClickedPositionWithItsSound) {
    const PositionStep steps[] = {
        {0, 0.0, false, "the middle of a centred switch plays the click and changes nothing"},
        {1, 1.0, true, "upper part"},
        {1, 1.0, true, "upper again: the sound plays, the position stays"},
        {2, 2.0, true, "lower part, straight from 1"},
        {0, 0.0, false, "back to the middle"},
    };
    for (const PositionStep& s : steps) {
        EXPECT_EQ(click(l().selectorBRects[s.position]), 0) << s.reason;
        EXPECT_EQ(value(l().selectorB), s.shown) << s.reason;
        EXPECT_EQ(sounds, std::vector<int32_t>{s.selectorSound ? l().selectorSound : l().switchClick}) << s.reason;
        EXPECT_TRUE(panel().keyEvents.empty()) << s.reason;
        EXPECT_EQ(value(l().selectorA), 0.0) << "selector A is a switch of its own";
    }
    for (int p : {1, 2, 0}) {
        click(l().selectorARects[p]);
        EXPECT_EQ(value(l().selectorA), double(p));
        EXPECT_EQ(sounds, std::vector<int32_t>{l().switchClick}) << "selector A clicks in every position";
    }
}

TEST_P(Switches, ToggleAlternatesFromEitherHalfWithEachHalfsSound) {
    const int icon = l().engineToggles[0];
    const auto& rects = l().engineToggleRects[0];
    const std::pair<int, double> clicks[] = {{rects[0], 1.0}, {rects[1], 0.0}, {rects[1], 1.0}, {rects[0], 0.0}};
    for (auto [rect, shown] : clicks) {
        EXPECT_EQ(click(rect), 0);
        EXPECT_EQ(value(icon), shown) << "rectangle " << rect;
        EXPECT_EQ(sounds, std::vector<int32_t>{rect == rects[0] ? l().longToggleSound : l().switchClick})
            << "rectangle " << rect;
        EXPECT_TRUE(panel().keyEvents.empty());
    }
    EXPECT_EQ(value(l().engineToggles[1]), 0.0) << "the other engine's toggle is untouched";
}

TEST_P(Switches, GangedEventSwitchSendsOnEveryClickAndShowsOnePositionInBothIcons) {
    struct Step {
        int rect;
        uint32_t event;
        double shown;
        const char* reason;
    };
    const Step steps[] = {
        {l().gangedOnRects[0], l().gangedOn, 1.0, "first switch's upper half sets both on"},
        {l().gangedOnRects[1], l().gangedOn, 1.0, "already on: the on event is sent again"},
        {l().gangedOffRects[1], l().gangedOff, 0.0, "second switch's lower half sets both off"},
        {l().gangedOffRects[0], l().gangedOff, 0.0, "already off: sent again"},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(click(s.rect), 0) << s.reason;
        EXPECT_EQ(panel().keyEvents, std::vector<uint32_t>{s.event}) << s.reason;
        EXPECT_EQ(sounds, std::vector<int32_t>{l().switchClick}) << s.reason;
        EXPECT_EQ(value(l().gangedIcons[0]), s.shown) << s.reason;
        EXPECT_EQ(value(l().gangedIcons[1]), s.shown) << s.reason;
    }
    EXPECT_EQ(m().rect(l().gangedOnRects[0]).mouseFunction, m().rect(l().gangedOnRects[1]).mouseFunction);
    EXPECT_EQ(m().rect(l().gangedOffRects[0]).mouseFunction, m().rect(l().gangedOffRects[1]).mouseFunction);
}

TEST_P(Switches, SingleEventSwitchSendsItsEventAndMovesOnlyItsIcon) {
    click(l().singleEventRects[0]);
    EXPECT_EQ(panel().keyEvents, std::vector<uint32_t>{l().singleOn});
    EXPECT_EQ(value(l().singleEventIcon), 1.0);
    EXPECT_EQ(value(l().gangedIcons[0]), 0.0);
    click(l().singleEventRects[0]);
    EXPECT_EQ(panel().keyEvents, std::vector<uint32_t>{l().singleOn});
    EXPECT_EQ(value(l().singleEventIcon), 1.0);
    click(l().singleEventRects[1]);
    EXPECT_EQ(panel().keyEvents, std::vector<uint32_t>{l().singleOff});
    EXPECT_EQ(value(l().singleEventIcon), 0.0);
    EXPECT_TRUE(std::all_of(panel().keyParameters.begin(), panel().keyParameters.end(),
                            [](uint32_t p) { return p == 0; }));
}

TEST_P(Switches, HandlesPushAndPullWithTheFirstOfficersLeftPullRepeated) {
    struct Step {
        int handle;  // 0 left, 1 right
        bool pull;
        std::vector<uint32_t> events;
        double shown;
        const char* reason;
    };
    const std::vector<uint32_t> leftOut =
        l().leftPullRepeats ? std::vector<uint32_t>{66007, 66007} : std::vector<uint32_t>{66007};
    const Step steps[] = {
        {0, false, {66003}, 0.0, "push while in: the event, no change"},
        {0, true, leftOut, 1.0, "pull out (the first officer's sends its pull again after the change)"},
        {0, true, {66007}, 1.0, "pull while out: once"},
        {0, false, {66003}, 0.0, "push in"},
        {1, true, {66012}, 1.0, "right pull out: once"},
        {1, true, {66012}, 1.0, "right pull again: once"},
        {1, false, {66008}, 0.0, "right push in"},
    };
    const int icons[2] = {l().leftHandle, l().rightHandle};
    for (const Step& s : steps) {
        EXPECT_EQ(click(s.pull ? handlePull[s.handle] : handlePush[s.handle]), 0) << s.reason;
        EXPECT_EQ(panel().keyEvents, s.events) << s.reason;
        EXPECT_EQ(sounds, std::vector<int32_t>{l().switchClick}) << s.reason;
        EXPECT_EQ(value(icons[s.handle]), s.shown) << s.reason;
        EXPECT_EQ(m().evaluate(icons[s.handle]), s.shown) << s.reason << ": the handle law passes it through";
    }
}

TEST_P(Switches, HandleLawPassesOnlyOneTwoAndThree) {
    const std::pair<double, double> cases[] = {
        {0.0, 0.0}, {1.0, 1.0}, {2.0, 2.0}, {3.0, 3.0}, {0.5, 0.0}, {-1.0, 0.0}, {4.0, 0.0},
        {std::nextafter(1.0, 2.0), 0.0}, {std::numeric_limits<double>::quiet_NaN(), 0.0},
        {std::numeric_limits<double>::infinity(), 0.0}};
    for (auto [stored, shown] : cases) {
        m().icon(l().leftHandle).variable.value = stored;
        EXPECT_EQ(m().evaluate(l().leftHandle), shown) << "stored " << stored;
    }
}

// The interlock of the starter selector: what is set up before its upper (1) or lower (2)
// part is clicked, and whether the starter event goes out.
struct Interlock {
    int position;
    int selectorA, selectorB;
    bool cut;
    bool engine1On, engine2On;
    bool leverStale;  // restored after a cut, but the lever's law has not run since
    bool sent;
    const char* reason;
};

const Interlock interlocks[] = {
    {1, 1, 1, false, true, false, false, true, "all four conditions hold for engine 1"},
    {2, 2, 2, false, false, true, false, true, "all four hold for engine 2; engine 1's toggle is irrelevant"},
    {2, 2, 2, false, true, true, false, true, "engine 2 with both toggles on"},
    {1, 0, 1, false, true, false, false, false, "selector A centred"},
    {1, 2, 1, false, true, false, false, false, "selector A at the other position"},
    {1, 1, 0, false, true, false, false, false, "selector B centred"},
    {1, 1, 2, false, true, false, false, false, "selector B at the other position"},
    {1, 1, 1, true, true, false, false, false, "ignition cut"},
    {1, 1, 1, false, false, false, false, false, "engine 1 toggle off"},
    {1, 1, 1, false, false, true, false, false, "only the other engine's toggle on"},
    {2, 2, 2, false, true, false, false, false, "engine 2 toggle off"},
    {2, 1, 1, false, true, true, false, false, "selectors at 1 do not start engine 2"},
    {1, 1, 1, false, true, false, true, false, "the lever's stored result is read, not the block"},
};

TEST_P(Switches, StarterSelectorSendsOnlyUnderItsInterlockAndMovesRegardless) {
    for (const Interlock& k : interlocks) {
        SCOPED_TRACE(k.reason);
        module->kill();
        module.reset();
        freshProcessState();
        module = std::make_unique<Module>(l().module.path);
        module->install();
        if (k.selectorA) click(l().selectorARects[k.selectorA]);
        if (k.selectorB) click(l().selectorBRects[k.selectorB]);
        if (k.engine1On) click(l().engineToggleRects[0][1]);
        if (k.engine2On) click(l().engineToggleRects[1][1]);
        if (k.cut || k.leverStale) click(cutRect);
        m().evaluate(leverIcon);
        if (k.leverStale) click(restoreRect);

        EXPECT_EQ(click(l().starterRects[k.position]), 0);
        std::vector<uint32_t> expected;
        if (k.sent) expected.push_back(k.position == 1 ? 65931 : 65937);
        EXPECT_EQ(panel().keyEvents, expected);
        EXPECT_EQ(sounds, std::vector<int32_t>{l().switchClick});
        EXPECT_EQ(value(l().starter), double(k.position)) << "the selector moves whether or not it starts";

        click(l().starterRects[k.position]);
        EXPECT_EQ(panel().keyEvents, expected) << "a second click in the same part sends again";
        click(l().starterRects[0]);
        EXPECT_TRUE(panel().keyEvents.empty()) << "position 0 sends nothing";
        EXPECT_EQ(value(l().starter), 0.0);
    }
}

TEST_P(Switches, WithoutAMagnetoBlockTheStarterSelectorNeverStartsButTheButtonsDo) {
    module->kill();
    module.reset();
    freshProcessState();
    platformFailFileMappingCreation(ERROR_ACCESS_DENIED);
    module = std::make_unique<Module>(l().module.path);
    module->install();
    click(l().selectorARects[1]);
    click(l().selectorBRects[1]);
    click(l().engineToggleRects[0][0]);
    m().evaluate(leverIcon);
    click(l().starterRects[1]);
    EXPECT_TRUE(panel().keyEvents.empty());
    EXPECT_EQ(value(l().starter), 1.0);
    const std::pair<int, uint32_t> buttons[] = {{11, 65931}, {12, 65937}};
    for (auto [rect, event] : buttons) {
        EXPECT_EQ(click(rect), 0);
        EXPECT_EQ(panel().keyEvents, std::vector<uint32_t>{event}) << "starter button " << rect;
        EXPECT_TRUE(sounds.empty()) << "starter buttons make no sound";
    }
    platformFailFileMappingCreation(0);
}

TEST_P(Switches, ModeButtonsClickAndSendTheirEvent) {
    const uint32_t events[6] = {65580, 65798, 65799, 65729, 65724, 65723};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(click(l().modeButtonRects[i]), 0);
        EXPECT_EQ(panel().keyEvents, std::vector<uint32_t>{events[i]}) << "button " << i;
        EXPECT_EQ(sounds, std::vector<int32_t>{l().switchClick}) << "button " << i;
    }
}

TEST_P(Switches, ZeroTestLampIsLitForAnyNonZeroValue) {
    const std::pair<double, double> cases[] = {{0.0, 1.0},
                                               {-0.0, 1.0},
                                               {1.0, 0.0},
                                               {-3.0, 0.0},
                                               {1e-300, 0.0},
                                               {std::numeric_limits<double>::quiet_NaN(), 0.0},
                                               {std::numeric_limits<double>::infinity(), 0.0}};
    for (auto [v, index] : cases) {
        panel().setDouble(103, v);
        EXPECT_EQ(m().evaluate(11), index) << "AUTO lamp variable " << v;
    }
}

// The mode lamps as the panel system evaluates them, in tree order: LOC, APP and NAV come
// before ALT and HDG, so they read the flags their writers left at the previous evaluation.
struct LampCase {
    double hdg, alt, nav, app, loc;
    double navShown, appShown, locShown, altShown, hdgShown;
    const char* reason;
};

TEST_P(Switches, ArmedLampsReadTheFlagsTheirWritersLeft) {
    const LampCase cases[] = {
        {1, 0, 1, 1, 1, 2, 0, 2, 1, 0, "HDG on: LOC orange, NAV nothing, APP lit"},
        {0, 0, 1, 1, 1, 0, 0, 0, 1, 1, "HDG off: LOC and NAV lit"},
        {0, 1, 1, 1, 1, 0, 2, 0, 0, 1, "ALT on: APP orange; LOC and NAV do not read ALT"},
        {1, 1, 0, 0, 0, 1, 1, 1, 0, 0, "own variables off: nothing, whatever the flags"},
        {-2, -5, 3, 4, 5, 2, 2, 2, 0, 0, "negative values count as non-zero"},
    };
    for (const LampCase& k : cases) {
        panel().setDouble(106, k.hdg);
        panel().setDouble(108, k.alt);
        panel().setDouble(105, k.nav);
        panel().setDouble(111, k.app);
        panel().setDouble(112, k.loc);
        m().evaluateIcons();
        m().evaluateIcons();  // a second update sees the flags of the first
        EXPECT_EQ(m().icon(8).variable.value, k.navShown) << k.reason << ": NAV";
        EXPECT_EQ(m().icon(7).variable.value, k.appShown) << k.reason << ": APP";
        EXPECT_EQ(m().icon(6).variable.value, k.locShown) << k.reason << ": LOC";
        EXPECT_EQ(m().icon(9).variable.value, k.altShown) << k.reason << ": ALT";
        EXPECT_EQ(m().icon(10).variable.value, k.hdgShown) << k.reason << ": HDG";
    }
}

TEST_P(Switches, ArmedLampLagsItsWriterByOneUpdate) {
    panel().setDouble(112, 1);
    panel().setDouble(106, 0);
    m().evaluateIcons();
    EXPECT_EQ(m().icon(6).variable.value, 0.0);
    panel().setDouble(106, 1);
    m().evaluateIcons();
    EXPECT_EQ(m().icon(6).variable.value, 0.0) << "LOC ran before HDG set its flag";
    m().evaluateIcons();
    EXPECT_EQ(m().icon(6).variable.value, 2.0);
    panel().setDouble(106, 0);
    m().evaluateIcons();
    EXPECT_EQ(m().icon(6).variable.value, 2.0) << "the flag stays as HDG left it until HDG runs again";
    m().evaluateIcons();
    EXPECT_EQ(m().icon(6).variable.value, 0.0);
}

TEST_P(Switches, SwitchPositionsSurviveKillAndReinstall) {
    click(l().selectorBRects[2]);
    click(l().engineToggleRects[1][0]);
    click(handlePull[1]);
    m().kill();
    m().install();
    EXPECT_EQ(value(l().selectorB), 2.0);
    EXPECT_EQ(value(l().engineToggles[1]), 1.0);
    EXPECT_EQ(value(l().rightHandle), 1.0);
    click(handlePull[1]);
    EXPECT_EQ(panel().keyEvents, std::vector<uint32_t>{66012}) << "the handle still knows it is out";
}

INSTANTIATE_TEST_SUITE_P(BothOverheads, Switches, testing::ValuesIn(layouts),
                         [](const auto& info) { return std::string(info.param.module.name); });

// The one control of either overhead that sends the panel command.
TEST(PanelCommand, CaptainsLeftmostToggleSendsItAfterTogglingOnEveryClick) {
    freshProcessState();
    Module m(captain.path);
    m.install();
    std::vector<double> seen;
    panel().onPanelCommand = [&] { seen.push_back(m.icon(35).variable.value); };
    m.click(48);
    m.click(48);
    m.click(48);
    EXPECT_EQ(panel().panelCommands, (std::vector<uint32_t>{32, 32, 32}));
    EXPECT_EQ(seen, (std::vector<double>{1.0, 0.0, 1.0})) << "the toggle has moved when the command goes";
    panel().onPanelCommand = nullptr;
    m.kill();
}

TEST(PanelCommand, NoOtherRectangleOfEitherOverheadSendsIt) {
    for (const Overhead& o : {firstOfficer, captain}) {
        freshProcessState();
        Module m(o.path);
        m.install();
        for (int r = 1; r <= m.rectCount(); ++r) {
            bool isCommandToggle = std::string(o.name) == captain.name && r == 48;
            if (!m.rect(r).mouseFunction || isCommandToggle) continue;
            panel().panelCommands.clear();
            m.click(r);
            m.click(r);
            EXPECT_TRUE(panel().panelCommands.empty()) << o.name << " rectangle " << r;
        }
        m.kill();
    }
}

}  // namespace
