// The simulator variables the gauges read, by token, with the form the simulator delivers
// each in: doubles, or 32-bit integers for binary-coded decimal frequencies and codes and
// for the magneto positions.
#include <cmath>
#include <cstring>

#include "panel.h"

namespace host {

const std::vector<VariableInfo>& knownVariables() {
    static const std::vector<VariableInfo> table = {
        {16, "ADF frequency, BCD", VariableForm::Integer},
        {17, "ADF extended frequency flag", VariableForm::Double},
        {18, "ADF extended digits", VariableForm::Integer},
        {21, "indicator lamp 21", VariableForm::Double},
        {23, "radio frequency 23, BCD", VariableForm::Integer},
        {24, "radio frequency 24, BCD", VariableForm::Integer},
        {26, "indicator lamp 26", VariableForm::Double},
        {27, "radio frequency 27, BCD", VariableForm::Integer},
        {29, "indicator lamp 29", VariableForm::Double},
        {38, "transponder code, BCD", VariableForm::Integer},
        {74, "altitude, feet", VariableForm::Double},
        {75, "altimeter setting, whole units", VariableForm::Double},
        {76, "altimeter setting, two decimals", VariableForm::Double},
        {83, "compass heading, degrees", VariableForm::Double},
        {103, "autopilot master", VariableForm::Double},
        {105, "autopilot NAV mode", VariableForm::Double},
        {106, "autopilot HDG mode", VariableForm::Double},
        {107, "autopilot heading readout", VariableForm::Double},
        {108, "autopilot ALT mode", VariableForm::Double},
        {109, "autopilot altitude readout", VariableForm::Double},
        {111, "autopilot APP mode", VariableForm::Double},
        {112, "autopilot LOC mode", VariableForm::Double},
        {120, "autopilot vertical speed readout", VariableForm::Double},
        {131, "engine 1 magneto sync condition", VariableForm::Double},
        {132, "engine 1 magneto position", VariableForm::Integer},
        {136, "engine 1 RPM (raw)", VariableForm::Double},
        {144, "engine 1 cylinder-head / carburettor temperature (raw)", VariableForm::Double},
        {147, "engine 1 oil temperature (raw)", VariableForm::Double},
        {148, "engine 1 oil pressure (raw)", VariableForm::Double},
        {152, "engine 1 manifold pressure (raw)", VariableForm::Double},
        {166, "engine 2 magneto sync condition", VariableForm::Double},
        {167, "engine 2 magneto position", VariableForm::Integer},
        {171, "engine 2 RPM (raw)", VariableForm::Double},
        {179, "engine 2 cylinder-head / carburettor temperature (raw)", VariableForm::Double},
        {182, "engine 2 oil temperature (raw)", VariableForm::Double},
        {183, "engine 2 oil pressure (raw)", VariableForm::Double},
        {187, "engine 2 manifold pressure (raw)", VariableForm::Double},
        {335, "altimeter setting unit selector", VariableForm::Double},
        {350, "outside air temperature (raw)", VariableForm::Double},
    };
    return table;
}

const VariableInfo* findVariable(uint32_t token) {
    for (const VariableInfo& v : knownVariables())
        if (v.token == token) return &v;
    return nullptr;
}

namespace {
// What a 32-bit x86 conversion gives: the truncated value, or INT32_MIN when it does not fit.
int32_t toInt32(double v) {
    if (std::isnan(v) || v >= 2147483648.0 || v < -2147483648.0) {
        // Values written as unsigned 32-bit numbers (BCD codes like 0xFFFFFFFF) wrap.
        if (v >= 2147483648.0 && v < 4294967296.0) return int32_t(uint32_t(v));
        return INT32_MIN;
    }
    return int32_t(v);
}
}  // namespace

void SimVariables::set(uint32_t token, double value) { values_[token] = value; }

double SimVariables::get(uint32_t token) const {
    auto it = values_.find(token);
    return it == values_.end() ? 0.0 : it->second;
}

void SimVariables::deliver(ModuleVar& v) const {
    if (v.token == 0) return;
    const VariableInfo* info = findVariable(v.token);
    double value = get(v.token);
    if (info && info->form == VariableForm::Integer) {
        std::memset(&v.value, 0, sizeof v.value);
        setIntegerValue(v, toInt32(value));
    } else {
        v.value = value;
    }
}

}  // namespace host
