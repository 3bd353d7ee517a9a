#include "plugin/IParam.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void copyText(char* target, const char* source) {
    std::snprintf(target, IParam::kTextSize, "%s", source ? source : "");
}

// Truncation toward zero that stays defined for values an int cannot hold.
int truncateToInt(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

} // namespace

void IParam::initTexts(EParamType newType, const char* newName, const char* newLabel, const char* newGroup) {
    if (type == kTypeNone) type = newType;
    copyText(name, newName);
    copyText(label, newLabel);
    copyText(group, newGroup);
}

void IParam::setDefault(double newDefault) {
    value = newDefault;
    defaultValue = newDefault;
}

void IParam::InitBool(const char* newName, bool defaultOn, const char* newLabel, const char* newGroup) {
    initTexts(kTypeBool, newName, newLabel, newGroup);
    min = 0.0;
    max = 1.0;
    step = 1.0;
    shape = 1.0;
    displayPrecision = 0;
    setDefault(defaultOn ? 1.0 : 0.0);
    SetDisplayText(0, "off");
    SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* newName, int defaultIdx, int nEnums, const char* newLabel,
                      const char* newGroup) {
    initTexts(kTypeEnum, newName, newLabel, newGroup);
    min = 0.0;
    max = std::max(1.0, static_cast<double>(nEnums) - 1.0);
    step = 1.0;
    shape = 1.0;
    displayPrecision = 0;
    setDefault(defaultIdx);
}

void IParam::InitInt(const char* newName, int defaultInt, int newMin, int newMax, const char* newLabel,
                     const char* newGroup) {
    initTexts(kTypeInt, newName, newLabel, newGroup);
    min = newMin;
    max = std::max(static_cast<double>(newMin) + 1.0, static_cast<double>(newMax));
    step = 1.0;
    shape = 1.0;
    displayPrecision = 0;
    setDefault(defaultInt);
}

void IParam::InitDouble(const char* newName, double defaultDouble, double newMin, double newMax,
                        double newStep, const char* newLabel, const char* newGroup, double newShape) {
    initTexts(kTypeDouble, newName, newLabel, newGroup);
    min = newMin;
    max = std::max(newMin + newStep, newMax);
    step = newStep;
    SetShape(newShape);
    setDefault(defaultDouble);
    displayPrecision = 0;
    // The step sets how many decimals are shown: 0.1 shows one, 0.005 three, a step that never
    // becomes whole shows six.
    for (double s = newStep; displayPrecision < 6 && s != std::floor(s); s *= 10.0) ++displayPrecision;
}

void IParam::SetShape(double newShape) {
    if (newShape != 0.0 && std::isfinite(newShape)) shape = newShape;
}

void IParam::SetDisplayText(int textValue, const char* text) {
    DisplayText entry{textValue, ""};
    copyText(entry.text, text);
    displayTexts.push_back(entry);
}

int IParam::Int() const {
    return truncateToInt(value);
}

double IParam::DBToAmp() const {
    return std::exp(value * 0.1151292546497);
}

void IParam::Set(double plainValue) {
    // NaN counts as the lower bound; infinities clamp like any other value.
    value = std::isnan(plainValue) ? min : std::clamp(plainValue, min, max);
}

void IParam::SetNormalized(double normalized) {
    // Hosts send 0..1; anything else (including not-a-number) must never reach the engine, which
    // indexes tables with some of these values. Above 1 this is the same as capping at max.
    normalized = std::isnan(normalized) ? 0.0 : std::clamp(normalized, 0.0, 1.0);
    double v = min + (max - min) * std::pow(normalized, shape);
    if (type != kTypeDouble) v = std::floor(v / step + 0.5) * step;
    Set(v);
}

double IParam::GetNormalized(double plainValue) const {
    const double clamped = std::isnan(plainValue) ? min : std::clamp(plainValue, min, max);
    return std::pow((clamped - min) / (max - min), 1.0 / shape);
}

double IParam::GetNonNormalized(double normalized) const {
    return min + (max - min) * std::pow(normalized, shape);
}

void IParam::GetBounds(double* lower, double* upper) const {
    *lower = min;
    *upper = max;
}

const char* IParam::GetLabelForHost() const {
    const char* text = GetNDisplayTexts() ? GetDisplayText(Int()) : "";
    return text[0] ? "" : label;
}

void IParam::GetDisplayForHost(double v, bool normalized, char* text, bool withText) const {
    if (normalized) v = GetNonNormalized(v);
    if (displayFunc) {
        char formatted[kTextSize * 4] = "";
        displayFunc(v, formatted);
        copyText(text, formatted);
        return;
    }
    if (withText) {
        const char* displayText = GetDisplayText(truncateToInt(v));
        if (displayText[0]) {
            copyText(text, displayText);
            return;
        }
    }
    if (negateDisplay) v = -v;
    if (displayPrecision == 0)
        std::snprintf(text, kTextSize, "%d", truncateToInt(v));
    else
        std::snprintf(text, kTextSize, "%.*f", displayPrecision, v);
}

const char* IParam::GetDisplayText(int textValue) const {
    for (const DisplayText& entry : displayTexts)
        if (entry.value == textValue) return entry.text;
    return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* textValue) const {
    if (idx < 0 || idx >= GetNDisplayTexts()) return "";
    if (textValue) *textValue = displayTexts[idx].value;
    return displayTexts[idx].text;
}

bool IParam::MapDisplayText(const char* text, int* textValue) const {
    if (!text) return false;
    for (const DisplayText& entry : displayTexts) {
        if (std::strcmp(entry.text, text) == 0) {
            *textValue = entry.value;
            return true;
        }
    }
    return false;
}
