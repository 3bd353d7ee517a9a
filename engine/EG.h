#pragma once

// An ADSR envelope with output 0..1, advanced once per sample. Time parameters are 0..1; what a time
// means is up to the subclass.
class EG {
public:
    EG() = default;
    virtual ~EG() = default;

    virtual void reset();
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual void setSampleRate(double fs) = 0;
    virtual void update() = 0;
    virtual bool isOn() { return state != 0; }
    virtual void setTrigger(bool single) { singleTrigger = single; }
    virtual void setAttack(double x) = 0;
    virtual void setDecay(double x) = 0;
    virtual void setSustain(double x) = 0;
    virtual void setRelease(double x) = 0;

    double getLevel() const { return level; }
    int getState() const { return state; }

protected:
    // Runs this arithmetic for several voices at once, on this state, sample for sample alike.
    friend class VoiceLanes;

    // Envelope settings and rates come from outside; a non-finite one must not reach the level.
    static double finiteOr(double value, double fallback);
    // Only positive finite rates are accepted; anything else keeps the previous rate.
    static bool isUsableRate(double fs);

    double level = 0.0;
    bool singleTrigger = false;
    double attack = 0.0;
    double decay = 0.0;
    double sustain = 0.0;
    double release = 0.0;
    int state = 0;
    double rateConstant = 0.0;
};
