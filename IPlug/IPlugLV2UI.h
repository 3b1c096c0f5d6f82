#pragma once
// A plug-in's editor as an LV2 UI: a model of the plug-in's parameters (this base, with
// the plug-in's own records) and its graphics context, talking to the plug-in only
// through its ports. A control the user moves writes its port in the plug-in's port
// units, bracketed by the host's touch gesture when offered; a port value the host
// sends (automation, presets, another editor) sets the parameter and reaches
// OnParamChange, as a host's change reaches the plug-in; meter outputs go to OnMeter.
//
// Everything runs on the host's UI thread. Nothing the host calls throws.

#include "IPlug/IPlugBase.h"
#include "IPlug/IPlugLV2Bundle.h"
#include "IPlug/LV2PortScale.h"

#include <lv2/ui/ui.h>

#include <memory>
#include <string>

class IPlugLV2UI;

// One editor of a bundle: for the plug-in of pluginUri, whose ports it addresses.
struct IPlugLV2UIDesc
{
  const char* uri;
  const char* pluginUri;
  int nChannels; // the plug-in's audio inputs, and as many outputs
  int nMeters;   // its meter outputs
};

struct IPlugLV2UIBundle
{
  const IPlugLV2UIDesc* uis;
  int nUIs;
  // A new editor, its parameters at their defaults and its graphics context attached.
  IPlugLV2UI* (*makeUI)(const IPlugLV2UIDesc* ui);
};

class IPlugLV2UI : public IPlugBase
{
public:
  IPlugLV2UI(int nParams, const char* channelIOStr, const char* effectName, const char* productName,
             const char* mfrName, int vendorVersion, int uniqueID, int mfrID);
  ~IPlugLV2UI() override;

  // The descriptor of the bundle's editor at index, or null past the last one. A binary
  // holds one bundle; the first call fixes it.
  static const LV2UI_Descriptor* Descriptor(uint32_t index, const IPlugLV2UIBundle& bundle);

  // A reading of the plug-in's meter output m (0 for its first).
  virtual void OnMeter(int, float) {}

  // The editor's side of a user's change: port writes and gestures.
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;

  const IPlugLV2UIDesc* GetDesc() const { return mDesc; }
  const IPlugLV2Ports& GetPorts() const { return mPorts; }
  // The parameter whose gesture is open, -1 when none.
  int GetGestureParam() const { return mGesture; }
  // The window the host embeds (an X window id), 0 without one.
  unsigned long GetWidget() const { return mWidget; }
  // The scale factor the host asked for (1 when it named none).
  float GetHostScale() const { return mHostScale; }

  // The host's side, as the descriptor's functions call them (also for tests).
  void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  int Idle();
  int Show();
  int Hide();

  // OnIdle (of the base) runs at every idle call, before the window handles its events.

private:
  static LV2UI_Handle Instantiate(const LV2UI_Descriptor* descriptor, const char* pluginUri,
                                  const char* bundlePath, LV2UI_Write_Function writeFunction,
                                  LV2UI_Controller controller, LV2UI_Widget* widget,
                                  const LV2_Feature* const* features);
  static void Cleanup(LV2UI_Handle handle);
  static void PortEventCallback(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
                                const void* buffer);
  static const void* ExtensionData(const char* uri);

  bool Setup(const IPlugLV2UIDesc* desc, LV2UI_Write_Function write, LV2UI_Controller controller,
             const LV2_Feature* const* features);
  void CloseGesture();
  // Whether the graphics context's window is open, after its events and repaint.
  bool IdleWindow();
  bool OpenEditorWindow(void* parent);

  const IPlugLV2UIDesc* mDesc = nullptr;
  IPlugLV2Ports mPorts = {0, 0, 0};
  std::unique_ptr<LV2PortScale[]> mPortScale;
  LV2UI_Write_Function mWrite = nullptr;
  LV2UI_Controller mController = nullptr;
  const LV2UI_Resize* mResize = nullptr;
  const LV2UI_Touch* mTouch = nullptr;
  std::string mWindowTitle;
  float mHostScale = 1.0f;
  unsigned long mWidget = 0;
  bool mEmbedded = false;
  int mGesture = -1;
};
