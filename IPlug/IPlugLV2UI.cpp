#include "IPlug/IPlugLV2UI.h"

#include "IPlug/IGraphics.h"
#include "IPlug/IGraphicsX11.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <climits>
#include <cstring>
#include <mutex>

namespace
{
constexpr int kMaxUIs = 8;

// The bundle this binary serves and one descriptor per editor, fixed by the first
// Descriptor call.
struct Registry
{
  const IPlugLV2UIBundle* bundle = nullptr;
  LV2UI_Descriptor descriptors[kMaxUIs] = {};
  int nDescriptors = 0;
};
Registry gRegistry;
std::once_flag gRegistryOnce;

const void* FindFeature(const LV2_Feature* const* features, const char* uri, bool* present = nullptr)
{
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if ((*f)->URI && !strcmp((*f)->URI, uri))
    {
      if (present) *present = true;
      return (*f)->data;
    }
  return nullptr;
}

// Scale factors the editor draws at; anything else the host names is taken to the
// nearest of them.
float NearestScale(float s)
{
  if (!(s > 0.0f)) return 1.0f;
  return s < 1.25f ? 1.0f : s < 1.75f ? 1.5f : 2.0f;
}
} // namespace

IPlugLV2UI::IPlugLV2UI(int nParams, const char* channelIOStr, const char* effectName, const char* productName,
                       const char* mfrName, int vendorVersion, int uniqueID, int mfrID)
  : IPlugBase(nParams, channelIOStr, 0, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID, 0,
              false, false, false)
{
}

IPlugLV2UI::~IPlugLV2UI() = default;

const LV2UI_Descriptor* IPlugLV2UI::Descriptor(uint32_t index, const IPlugLV2UIBundle& bundle)
{
  std::call_once(gRegistryOnce, [&bundle] {
    gRegistry.bundle = &bundle;
    const int n = bundle.nUIs < kMaxUIs ? bundle.nUIs : kMaxUIs;
    for (int i = 0; i < n; ++i)
      gRegistry.descriptors[i] = {bundle.uis[i].uri, Instantiate, Cleanup, PortEventCallback, ExtensionData};
    gRegistry.nDescriptors = n;
  });
  return index < (uint32_t) gRegistry.nDescriptors ? &gRegistry.descriptors[index] : nullptr;
}

// ----- instantiation -----

LV2UI_Handle IPlugLV2UI::Instantiate(const LV2UI_Descriptor* descriptor, const char* pluginUri, const char*,
                                     LV2UI_Write_Function writeFunction, LV2UI_Controller controller,
                                     LV2UI_Widget* widget, const LV2_Feature* const* features)
{
  const Registry& r = gRegistry;
  if (!descriptor || !r.bundle || descriptor < r.descriptors || descriptor >= r.descriptors + r.nDescriptors)
    return nullptr;
  const IPlugLV2UIDesc* desc = &r.bundle->uis[descriptor - r.descriptors];
  // Its ports are those of one plug-in only.
  if (!pluginUri || strcmp(pluginUri, desc->pluginUri) != 0) return nullptr;
  IPlugLV2UI* ui = nullptr;
  try
  {
    ui = r.bundle->makeUI(desc);
    if (ui && ui->Setup(desc, writeFunction, controller, features))
    {
      if (widget) *widget = (LV2UI_Widget) (uintptr_t) ui->mWidget;
      return ui;
    }
  }
  catch (...)
  {
  }
  delete ui;
  return nullptr;
}

bool IPlugLV2UI::Setup(const IPlugLV2UIDesc* desc, LV2UI_Write_Function write, LV2UI_Controller controller,
                       const LV2_Feature* const* features)
{
  if (!GetGUI() || desc->nChannels < 1 || desc->nMeters < 0) return false;
  mDesc = desc;
  mWrite = write;
  mController = controller;
  const int nParams = NParams();
  mPorts = {desc->nChannels, nParams, desc->nMeters};
  mPortScale.reset(new LV2PortScale[nParams]);
  for (int i = 0; i < nParams; ++i) mPortScale[i] = LV2PortScale::Of(*GetParam(i));

  mResize = (const LV2UI_Resize*) FindFeature(features, LV2_UI__resize);
  mTouch = (const LV2UI_Touch*) FindFeature(features, LV2_UI__touch);
  const LV2_URID_Map* map = (const LV2_URID_Map*) FindFeature(features, LV2_URID__map);
  const LV2_Options_Option* options = (const LV2_Options_Option*) FindFeature(features, LV2_OPTIONS__options);
  if (map && options)
  {
    const LV2_URID scaleKey = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID titleKey = map->map(map->handle, LV2_UI__windowTitle);
    const LV2_URID atomFloat = map->map(map->handle, LV2_ATOM__Float);
    const LV2_URID atomString = map->map(map->handle, LV2_ATOM__String);
    for (const LV2_Options_Option* o = options; o->key; ++o)
    {
      if (!o->value) continue;
      if (o->key == scaleKey && o->type == atomFloat && o->size == sizeof(float))
      {
        float s;
        memcpy(&s, o->value, sizeof s);
        mHostScale = NearestScale(s);
      }
      else if (o->key == titleKey && o->type == atomString && o->size > 0)
        mWindowTitle.assign((const char*) o->value, strnlen((const char*) o->value, o->size));
    }
  }

  // The editor starts as the plug-in does, every parameter applied from the first; the
  // host then sends the ports' values.
  OnParamReset();

  bool hasParent = false;
  void* parent = (void*) FindFeature(features, LV2_UI__parent, &hasParent);
  if (hasParent && parent)
  {
    if (!OpenEditorWindow(parent)) return false;
    mEmbedded = true;
  }
  return true;
}

bool IPlugLV2UI::OpenEditorWindow(void* parent)
{
  IGraphics* g = GetGUI();
  if (IGraphicsX11* x = dynamic_cast<IGraphicsX11*>(g))
    if (!parent && !mWindowTitle.empty()) x->SetWindowTitle(mWindowTitle.c_str());
  // The host's scale factor; the platform lets the user's environment override it.
  if (g->GetScale() != mHostScale) g->SetScale(mHostScale);
  void* window = g->OpenWindow(parent);
  if (!window) return false;
  mWidget = (unsigned long) (uintptr_t) g->GetWindow();
  // The window's size, scale times the editor's.
  if (mResize && mResize->ui_resize) mResize->ui_resize(mResize->handle, g->DeviceWidth(), g->DeviceHeight());
  return true;
}

void IPlugLV2UI::Cleanup(LV2UI_Handle handle)
{
  IPlugLV2UI* ui = (IPlugLV2UI*) handle;
  if (!ui) return;
  try
  {
    ui->CloseGesture();
    if (IGraphics* g = ui->GetGUI()) g->CloseWindow();
    delete ui;
  }
  catch (...)
  {
  }
}

const void* IPlugLV2UI::ExtensionData(const char* uri)
{
  static const LV2UI_Idle_Interface idle = {[](LV2UI_Handle h) { return ((IPlugLV2UI*) h)->Idle(); }};
  static const LV2UI_Show_Interface show = {[](LV2UI_Handle h) { return ((IPlugLV2UI*) h)->Show(); },
                                            [](LV2UI_Handle h) { return ((IPlugLV2UI*) h)->Hide(); }};
  if (!uri) return nullptr;
  if (!strcmp(uri, LV2_UI__idleInterface)) return &idle;
  if (!strcmp(uri, LV2_UI__showInterface)) return &show;
  return nullptr;
}

// ----- from the host -----

void IPlugLV2UI::PortEventCallback(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
                                   const void* buffer)
{
  IPlugLV2UI* ui = (IPlugLV2UI*) handle;
  if (!ui) return;
  try
  {
    ui->PortEvent(port, size, format, buffer);
  }
  catch (...)
  {
  }
}

void IPlugLV2UI::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
  // Control ports carry one float; nothing else is meant for this editor.
  if (format != 0 || size != sizeof(float) || !buffer || port > (uint32_t) INT_MAX) return;
  float v;
  memcpy(&v, buffer, sizeof v);
  if (v != v) return; // a NaN is no value
  const int idx = (int) port;
  if (idx >= mPorts.Control(0) && idx < mPorts.Meter(0))
  {
    const int paramIdx = idx - mPorts.Control(0);
    // While the user moves a control, the host's echoes of earlier positions would
    // drag it back; what it shows is what the host will hear last.
    if (paramIdx == mGesture) return;
    IParam* param = GetParam(paramIdx);
    const LV2PortScale& scale = mPortScale[paramIdx];
    if (!param || v == scale.PortValue(*param)) return;
    IMutexLock lock(this);
    scale.Apply(param, v);
    // As a host's change reaches the plug-in: the controls, then the follow-up.
    if (IGraphics* g = GetGUI()) g->SetParameterFromPlug(paramIdx, param->GetNormalized(), true);
    OnParamChange(paramIdx);
  }
  else if (idx >= mPorts.Meter(0) && idx < mPorts.Latency())
    OnMeter(idx - mPorts.Meter(0), v);
}

// ----- to the host -----

void IPlugLV2UI::BeginInformHostOfParamChange(int idx)
{
  if (!GetParam(idx)) return;
  if (mGesture == idx) return;
  CloseGesture();
  mGesture = idx;
  if (mTouch && mTouch->touch) mTouch->touch(mTouch->handle, (uint32_t) mPorts.Control(idx), true);
}

void IPlugLV2UI::InformHostOfParamChange(int idx, double)
{
  const IParam* param = GetParam(idx);
  if (!param || !mWrite) return;
  const float v = mPortScale[idx].PortValue(*param);
  mWrite(mController, (uint32_t) mPorts.Control(idx), sizeof v, 0, &v);
}

void IPlugLV2UI::EndInformHostOfParamChange(int)
{
  // A press ends where the pointer is released, which may be over another control: the
  // gesture that is open is the one to close.
  CloseGesture();
}

void IPlugLV2UI::CloseGesture()
{
  if (mGesture < 0) return;
  const int idx = mGesture;
  mGesture = -1;
  if (mTouch && mTouch->touch) mTouch->touch(mTouch->handle, (uint32_t) mPorts.Control(idx), false);
}

// ----- the window -----

int IPlugLV2UI::Idle()
{
  try
  {
    OnIdle();
    return IdleWindow() ? 0 : 1;
  }
  catch (...)
  {
    return 1;
  }
}

bool IPlugLV2UI::IdleWindow()
{
  IGraphics* g = GetGUI();
  if (!g) return false;
  // The X11 window has no loop of its own here: the host's idle calls are its loop.
  if (IGraphicsX11* x = dynamic_cast<IGraphicsX11*>(g)) return x->Idle();
  return g->WindowIsOpen();
}

int IPlugLV2UI::Show()
{
  try
  {
    IGraphics* g = GetGUI();
    if (!g) return 1;
    if (g->WindowIsOpen()) return 0;
    return OpenEditorWindow(nullptr) ? 0 : 1;
  }
  catch (...)
  {
    return 1;
  }
}

int IPlugLV2UI::Hide()
{
  try
  {
    // The host's own window holds an embedded editor; only a window of its own hides.
    if (mEmbedded) return 0;
    CloseGesture();
    if (IGraphics* g = GetGUI()) g->CloseWindow();
    return 0;
  }
  catch (...)
  {
    return 1;
  }
}
