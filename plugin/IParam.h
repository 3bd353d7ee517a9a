#pragma once

#include <vector>

// One automatable parameter: a typed plain value with bounds, step and response shape, seen by the
// host through its normalised 0..1 form, with texts for the host and the editor.
class IParam {
public:
    enum EParamType { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble };

    // Every text the parameter holds or writes fits this many bytes, terminator included.
    static constexpr int kTextSize = 32;

    // Formats a plain value into text (at least kTextSize bytes); replaces all other formatting.
    using DisplayFunc = void (*)(double value, char* text);

    IParam() = default;

    void InitBool(const char* name, bool defaultValue, const char* label = "", const char* group = "");
    void InitEnum(const char* name, int defaultValue, int nEnums, const char* label = "",
                  const char* group = "");
    void InitInt(const char* name, int defaultValue, int min, int max, const char* label = "",
                 const char* group = "");
    void InitDouble(const char* name, double defaultValue, double min, double max, double step,
                    const char* label = "", const char* group = "", double shape = 1.0);

    void SetShape(double shape);
    void SetDisplayText(int value, const char* text);
    void SetDisplayFunc(DisplayFunc func) { displayFunc = func; }
    void SetNegateDisplay(bool negate) { negateDisplay = negate; }

    double Value() const { return value; }
    bool Bool() const { return value >= 0.5; }
    int Int() const;
    double DBToAmp() const;

    // Plain value, clamped to the bounds; no step rounding.
    void Set(double plainValue);
    void SetNormalized(double normalized);
    double GetNormalized() const { return GetNormalized(value); }
    double GetNormalized(double plainValue) const;
    // Plain value of a normalised one, without rounding or clamping.
    double GetNonNormalized(double normalized) const;
    void GetBounds(double* lower, double* upper) const;

    EParamType Type() const { return type; }
    double GetMin() const { return min; }
    double GetMax() const { return max; }
    double GetStep() const { return step; }
    double GetShape() const { return shape; }
    double GetDefault() const { return defaultValue; }
    int GetPrecision() const { return displayPrecision; }
    bool NegateDisplay() const { return negateDisplay; }
    DisplayFunc GetDisplayFunc() const { return displayFunc; }

    const char* GetNameForHost() const { return name; }
    const char* GetLabelForHost() const;
    const char* GetParamGroupForHost() const { return group; }
    // Writes at most kTextSize bytes into text.
    void GetDisplayForHost(double value, bool normalized, char* text, bool withText = true) const;

    int GetNDisplayTexts() const { return static_cast<int>(displayTexts.size()); }
    const char* GetDisplayText(int value) const;
    const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
    bool MapDisplayText(const char* text, int* value) const;

private:
    struct DisplayText {
        int value;
        char text[kTextSize];
    };

    void initTexts(EParamType newType, const char* newName, const char* newLabel, const char* newGroup);
    void setDefault(double newDefault);

    DisplayFunc displayFunc = nullptr;
    EParamType type = kTypeNone;
    double value = 0.0;
    double min = 0.0;
    double max = 1.0;
    double step = 1.0;
    double shape = 1.0;
    double defaultValue = 0.0;
    int displayPrecision = 0;
    char name[kTextSize] = "";
    char label[kTextSize] = "";
    char group[kTextSize] = "";
    bool negateDisplay = false;
    std::vector<DisplayText> displayTexts;
};
