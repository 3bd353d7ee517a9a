#pragma once

// What the framework asks of an attached editor. The editor lives above the framework, so the
// framework talks to it only through this interface; the editor object derives from it.
class IPlugEditor {
public:
    virtual ~IPlugEditor() = default;

    virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
    virtual void PrepDraw() = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // parent: the host's window (an X11 window id on Linux). True when the window opened.
    virtual bool OpenWindow(void* parent) = 0;
    virtual void CloseWindow() = 0;
    // Called from the host's idle calls on its user-interface thread, without the plug-in's lock held:
    // the editor runs its window events and its redraw timer here.
    virtual void HostIdle() {}
};
