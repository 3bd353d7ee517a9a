// The editor window through the built module, inside an X server the test starts (Xvfb).
// gtest first: Xlib defines None and Bool as macros.
#include <gtest/gtest.h>

#include "engine/ParameterIds.h"
#include "tests/host/PluginUnderTest.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

VstIntPtr open(const PluginUnderTest& plug, Window parent) {
    return plug.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent));
}
void idle(const PluginUnderTest& plug, int times = 1) {
    for (int i = 0; i < times; ++i) plug.Dispatch(effEditIdle);
}
ERect rect(const PluginUnderTest& plug) {
    ERect* r = nullptr;
    EXPECT_EQ(plug.Dispatch(effEditGetRect, 0, 0, &r), 1);
    return r ? *r : ERect{};
}
std::vector<Window> childrenOf(Display* display, Window parent) {
    Window root = 0, up = 0, *list = nullptr;
    unsigned n = 0;
    std::vector<Window> result;
    XSync(display, False);
    if (XQueryTree(display, parent, &root, &up, &list, &n)) result.assign(list, list + n);
    if (list) XFree(list);
    return result;
}

// An X server of the test's own, started once for the suite.
class EditorWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The server picks a free display itself and writes its number once it takes connections.
        int ready[2];
        if (pipe(ready) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, ready[0]);
        const std::string fd = std::to_string(ready[1]);
        const char* argv[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen", "0",
                              "1280x1024x24", "-nolisten",  "tcp",      nullptr};
        const bool started =
            posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(ready[1]);
        char number[16] = "";
        if (started && read(ready[0], number, sizeof number - 1) > 0) {
            displayName = ":" + std::to_string(std::atoi(number));
            server = XOpenDisplay(displayName.c_str());
        }
        close(ready[0]);
        if (server)
            setenv("DISPLAY", displayName.c_str(), 1);
        else
            stopServer();
    }
    static void TearDownTestSuite() {
        if (server) XCloseDisplay(server);
        server = nullptr;
        stopServer();
    }
    static void stopServer() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = 0;
    }
    void SetUp() override {
        if (!server) GTEST_SKIP() << "no X server could be started (is Xvfb installed?)";
    }

    Window makeParent() {
        const Window parent =
            XCreateSimpleWindow(server, DefaultRootWindow(server), 0, 0, 1200, 800, 0, 0, 0);
        XMapWindow(server, parent);
        XSync(server, False);
        return parent;
    }

    static inline Display* server = nullptr;
    static inline pid_t pid = 0;
    static inline std::string displayName;
};

int testErrorHandler(Display*, XErrorEvent*) {
    return 0;
}

TEST_F(EditorWindow, OpensAMappedChildWindowOfTheEditorsSizeAndClosesIt) {
    PluginUnderTest plug;
    const auto size = [&] {
        const ERect r = rect(plug);
        return std::pair(r.right - r.left, r.bottom - r.top);
    };
    EXPECT_EQ(size(), std::pair(1127, 776)); // asked before the window opens
    const Window parent = makeParent();
    ASSERT_EQ(open(plug, parent), 1);
    const std::vector<Window> opened = childrenOf(server, parent);
    ASSERT_EQ(opened.size(), 1u);
    XWindowAttributes attributes;
    XGetWindowAttributes(server, opened[0], &attributes);
    EXPECT_EQ((std::array{attributes.width, attributes.height, attributes.map_state}),
              (std::array{1127, 776, IsViewable}));
    EXPECT_EQ(size(), std::pair(1127, 776));

    cairo_surface_t* window = cairo_xlib_surface_create(server, opened[0], attributes.visual, 1127, 776);
    cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1127, 776);
    // The window shows the panel, not an undrawn black, once the host has idled it a few times; a busy
    // X server may take a while to show the first picture, so the test waits up to five seconds.
    const auto panelShown = [&] {
        cairo_surface_flush(shot);
        const unsigned char* row =
            cairo_image_surface_get_data(shot) + 100 * cairo_image_surface_get_stride(shot);
        return (reinterpret_cast<const uint32_t*>(row)[20] & 0xFFFFFF) != 0u;
    };
    for (int tick = 0; tick < 110 && (tick < 5 || !panelShown()); ++tick) {
        idle(plug);
        std::this_thread::sleep_for(std::chrono::milliseconds(45));
        XSync(server, False);
        cairo_t* cr = cairo_create(shot);
        cairo_set_source_surface(cr, window, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    EXPECT_TRUE(panelShown());
    cairo_surface_destroy(shot);
    cairo_surface_destroy(window);

    EXPECT_EQ(plug.Dispatch(effEditClose), 1);
    EXPECT_TRUE(childrenOf(server, parent).empty());
    XDestroyWindow(server, parent);
}

TEST_F(EditorWindow, IdlesBesideTheAudioThreadReopensAndRunsTwoInstances) {
    PluginUnderTest a, b;
    const Window parentA = makeParent(), parentB = makeParent();
    ASSERT_EQ(open(a, parentA), 1);
    ASSERT_EQ(open(b, parentB), 1);
    std::atomic<bool> running{true};
    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        float* outputs[] = {left.data(), right.data()};
        while (running) a.effect->processReplacing(a.effect, nullptr, outputs, 256);
    });
    for (int i = 0; i < 25; ++i) {
        idle(a);
        idle(b);
        a.SetParameter(kFilterCutoff, static_cast<float>(i % 10) / 10.0f);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(a.Dispatch(effEditClose), 1);
        ASSERT_EQ(open(a, parentA), 1);
        idle(a);
    }
    running = false;
    audio.join();
    EXPECT_EQ(childrenOf(server, parentA).size(), 1u);
    EXPECT_EQ(childrenOf(server, parentB).size(), 1u);
    for (auto [plug, parent] : {std::pair{&a, parentA}, {&b, parentB}}) {
        plug->Dispatch(effEditClose);
        XDestroyWindow(server, parent);
    }
}

TEST_F(EditorWindow, BadWindowsLostParentsAndMissingDisplaysDoNoHarm) {
    PluginUnderTest plug;
    const XErrorHandler hostHandler = XSetErrorHandler(testErrorHandler);
    EXPECT_EQ(plug.Dispatch(effEditClose), 1); // never opened
    EXPECT_EQ(open(plug, 0), 0);
    EXPECT_EQ(open(plug, 0x7FFFFFF0), 0);
    EXPECT_EQ(XSetErrorHandler(hostHandler), testErrorHandler);

    const Window first = makeParent(), second = makeParent();
    ASSERT_EQ(open(plug, first), 1);
    ASSERT_EQ(open(plug, second), 1);
    EXPECT_TRUE(childrenOf(server, first).empty());
    EXPECT_EQ(childrenOf(server, second).size(), 1u);
    XDestroyWindow(server, second);
    XSync(server, False);
    idle(plug, 3);
    EXPECT_EQ(plug.Dispatch(effEditClose), 1);

    setenv("DISPLAY", ":4242", 1);
    EXPECT_EQ(open(plug, first), 0);
    setenv("DISPLAY", displayName.c_str(), 1);
    XDestroyWindow(server, first);
}

} // namespace
