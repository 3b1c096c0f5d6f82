// The bundle's editor binary, loaded as a host loads it, against an X server of the
// test's own: embedded in a window of the test's (ui:parent), opened and closed many
// times; shown in a window of its own for a host that cannot embed; drawn at the
// host's scale factor.

#include "tests/lv2/ChildProcess.h"
#include "tests/lv2/UridMap.h"
#include "engine/OstrakonLV2.h"
#include "engine/OstrakonParams.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <lv2/ui/ui.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The editor's binary draws its text through fontconfig, which loses one block on first
// use (see raster/Font.cpp); its suppression lives in the binary, where the sanitizer
// does not look, so the host (this program) names it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace
{
// One Xvfb for the whole program, on a display it picks itself.
class XvfbEnvironment : public testing::Environment
{
public:
  void SetUp() override
  {
    if (!OnPath("Xvfb"))
    {
      sProblem = "Xvfb is not installed (see ./do)";
      return;
    }
    int fds[2];
    if (pipe(fds) != 0) return;
    const bool started = mServer.Start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp",
                                        "-noreset", "-screen", "0", "1280x1400x24"},
                                       {}, "/dev/null", fds[1]);
    close(fds[1]);
    const std::string display = started ? ReadLine(fds[0], 20) : "";
    close(fds[0]);
    if (display.empty())
    {
      sProblem = "Xvfb did not start within 20 s";
      mServer.Stop();
      return;
    }
    sDisplay = ":" + display;
    setenv("DISPLAY", sDisplay.c_str(), 1);
  }
  void TearDown() override { mServer.Stop(); }

  static std::string sDisplay, sProblem;

private:
  BackgroundChild mServer;
};
std::string XvfbEnvironment::sDisplay, XvfbEnvironment::sProblem = "not started";
testing::Environment* const gXvfb = testing::AddGlobalTestEnvironment(new XvfbEnvironment);

// The bundle's editor binary.
struct UIBinary
{
  void* lib = nullptr;
  const LV2UI_Descriptor* stereo = nullptr;

  UIBinary()
  {
    lib = dlopen(OSTRAKON_LV2_BUNDLE_DIR "/" "ostrakon_ui.so", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return;
    auto entry = (LV2UI_DescriptorFunction) dlsym(lib, "lv2ui_descriptor");
    if (entry) stereo = entry(0);
  }
  // Kept loaded: a host may unload it, but the sanitizer's leak report names the
  // binary's frames only while it is.
};

struct Host
{
  UridMap map;
  float scale = 1.0f;
  int width = -1, height = -1;
  std::vector<std::pair<uint32_t, float>> writes;

  static void Write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
  {
    if (size == sizeof(float) && protocol == 0) ((Host*) c)->writes.push_back({port, *(const float*) buffer});
  }
  static int Resize(LV2UI_Feature_Handle h, int w, int hgt)
  {
    ((Host*) h)->width = w;
    ((Host*) h)->height = hgt;
    return 0;
  }

  LV2UI_Handle Instantiate(const LV2UI_Descriptor* d, Window parent, LV2UI_Widget* widget)
  {
    mOptions[0] = {LV2_OPTIONS_INSTANCE, 0, map.Id(LV2_UI__scaleFactor), sizeof(float), map.Id(LV2_ATOM__Float),
                   &scale};
    mOptions[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    mParentFeature = {LV2_UI__parent, (void*) (uintptr_t) parent};
    std::vector<const LV2_Feature*> features = {map.MapFeature(), &mOptionsFeature, &mResizeFeature};
    if (parent) features.push_back(&mParentFeature);
    features.push_back(nullptr);
    return d->instantiate(d, kOstrakonLV2StereoURI, OSTRAKON_LV2_BUNDLE_DIR, Write, this, widget, features.data());
  }

private:
  LV2UI_Resize mResize = {this, Resize};
  LV2_Options_Option mOptions[2];
  const LV2_Feature mOptionsFeature = {LV2_OPTIONS__options, mOptions};
  const LV2_Feature mResizeFeature = {LV2_UI__resize, &mResize};
  LV2_Feature mParentFeature = {LV2_UI__parent, nullptr};
};

int Idle(const LV2UI_Descriptor* d, LV2UI_Handle h)
{
  return static_cast<const LV2UI_Idle_Interface*>(d->extension_data(LV2_UI__idleInterface))->idle(h);
}

std::vector<Window> Children(Display* x, Window w)
{
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  std::vector<Window> list;
  if (XQueryTree(x, w, &root, &parent, &children, &n))
  {
    list.assign(children, children + n);
    XFree(children);
  }
  return list;
}

#define REQUIRE_X_AND_BINARY(binary)                                                                  \
  if (XvfbEnvironment::sDisplay.empty()) GTEST_SKIP() << "no X server: " << XvfbEnvironment::sProblem; \
  ASSERT_NE((binary).stereo, nullptr) << dlerror()
} // namespace

TEST(LV2EditorWindow, EmbeddedFiftyTimesInAHostsWindow)
{
  UIBinary binary;
  REQUIRE_X_AND_BINARY(binary);
  Display* x = XOpenDisplay(XvfbEnvironment::sDisplay.c_str());
  ASSERT_NE(x, nullptr);
  const Window parent = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 600, 700, 0, 0, 0);
  XMapWindow(x, parent);
  XSync(x, False);

  for (int i = 0; i < 50; ++i)
  {
    Host host;
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle h = host.Instantiate(binary.stereo, parent, &widget);
    ASSERT_NE(h, nullptr) << i;
    // A child of the host's window, of the editor's size, announced to the host.
    const Window editor = (Window) (uintptr_t) widget;
    ASSERT_NE(editor, 0u);
    const std::vector<Window> children = Children(x, parent);
    ASSERT_EQ(children.size(), 1u) << i;
    EXPECT_EQ(children[0], editor);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(x, editor, &a));
    EXPECT_EQ(a.width, 460);
    EXPECT_EQ(a.height, 640);
    EXPECT_EQ(host.width, 460);
    EXPECT_EQ(host.height, 640);
    // The host's values and meters, then a few idle calls to draw them.
    const float routing = (float) (i % 3), peak = 0.5f;
    binary.stereo->port_event(h, 4 + kRouting, sizeof routing, 0, &routing);
    binary.stereo->port_event(h, 4 + kNumParams, sizeof peak, 0, &peak);
    for (int k = 0; k < 3; ++k)
    {
      EXPECT_EQ(Idle(binary.stereo, h), 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(k == 0 ? 45 : 5));
    }
    binary.stereo->cleanup(h);
    XSync(x, False);
    EXPECT_TRUE(Children(x, parent).empty()) << "the editor's window outlived it, opening " << i;
    EXPECT_TRUE(host.writes.empty());
  }
  XDestroyWindow(x, parent);
  XCloseDisplay(x);
}

TEST(LV2EditorWindow, AHostThatCannotEmbedShowsItsOwnWindow)
{
  UIBinary binary;
  REQUIRE_X_AND_BINARY(binary);
  Display* x = XOpenDisplay(XvfbEnvironment::sDisplay.c_str());
  ASSERT_NE(x, nullptr);
  const size_t before = Children(x, DefaultRootWindow(x)).size();
  Host host;
  LV2UI_Widget widget = nullptr;
  LV2UI_Handle h = host.Instantiate(binary.stereo, 0, &widget);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(widget, nullptr);
  const auto* show = static_cast<const LV2UI_Show_Interface*>(binary.stereo->extension_data(LV2_UI__showInterface));
  for (int i = 0; i < 3; ++i)
  {
    ASSERT_EQ(show->show(h), 0);
    EXPECT_EQ(Idle(binary.stereo, h), 0);
    XSync(x, False);
    EXPECT_EQ(Children(x, DefaultRootWindow(x)).size(), before + 1) << "a top-level window of its own";
    EXPECT_EQ(show->hide(h), 0);
    EXPECT_NE(Idle(binary.stereo, h), 0) << "hidden: the host stops calling idle";
    XSync(x, False);
    EXPECT_EQ(Children(x, DefaultRootWindow(x)).size(), before);
  }
  binary.stereo->cleanup(h);
  XCloseDisplay(x);
}

TEST(LV2EditorWindow, DrawnAtTheHostsScaleFactorOrTheEnvironments)
{
  UIBinary binary;
  REQUIRE_X_AND_BINARY(binary);
  Display* x = XOpenDisplay(XvfbEnvironment::sDisplay.c_str());
  ASSERT_NE(x, nullptr);
  const Window parent = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1000, 1300, 0, 0, 0);
  XMapWindow(x, parent);
  XSync(x, False);
  // The host's factor, taken to the nearest the artwork is drawn at; the environment's
  // wins over it.
  const struct
  {
    float host;
    const char* environment;
    int width, height;
  } kCases[] = {{2.0f, nullptr, 920, 1280}, {1.5f, nullptr, 690, 960}, {1.2f, nullptr, 460, 640},
                {1.0f, "2", 920, 1280},     {2.0f, "1", 460, 640}};
  for (const auto& c : kCases)
  {
    if (c.environment)
      setenv("OSTRAKON_UI_SCALE", c.environment, 1);
    else
      unsetenv("OSTRAKON_UI_SCALE");
    Host host;
    host.scale = c.host;
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle h = host.Instantiate(binary.stereo, parent, &widget);
    ASSERT_NE(h, nullptr);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(x, (Window) (uintptr_t) widget, &a));
    EXPECT_EQ(a.width, c.width) << c.host << " " << (c.environment ? c.environment : "-");
    EXPECT_EQ(a.height, c.height) << c.host;
    EXPECT_EQ(host.width, c.width) << c.host;
    EXPECT_EQ(host.height, c.height) << c.host;
    EXPECT_EQ(Idle(binary.stereo, h), 0);
    binary.stereo->cleanup(h);
  }
  unsetenv("OSTRAKON_UI_SCALE");
  XDestroyWindow(x, parent);
  XCloseDisplay(x);
}
