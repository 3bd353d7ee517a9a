#include "editor/platform/XErrorTrap.h"

#include <atomic>

namespace {

// Errors of calls made while a trap is set; the handler has no way to know which trap it serves, and
// traps only nest on one thread, so a count is enough.
std::atomic<int> errorCount{0};

} // namespace

XErrorTrap::XErrorTrap(Display* display) : display(display) {
    XSync(display, False);
    errorCount.store(0);
    previous = XSetErrorHandler(onError);
}

XErrorTrap::~XErrorTrap() {
    XSync(display, False);
    XSetErrorHandler(previous);
}

bool XErrorTrap::Failed() {
    XSync(display, False);
    return errorCount.load() != 0;
}

int XErrorTrap::onError(Display*, XErrorEvent*) {
    errorCount.fetch_add(1);
    return 0;
}
