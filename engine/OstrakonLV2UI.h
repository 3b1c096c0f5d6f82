#pragma once
// The strip's editor as an LV2 UI: the strip's parameter records and the same editor
// (Ostrakongui) the plug-in builds, on a model that reaches the plug-in through its
// ports. It follows every change as the plug-in does (the dynamics types' ranges, the
// greying, the opto knobs, the panels' order) and feeds the meters from the plug-in's
// meter outputs.

#include "IPlug/IPlugLV2UI.h"

#include <chrono>
#include <memory>
#include <vector>

class Ostrakongui;

class OstrakonLV2UI : public IPlugLV2UI
{
public:
  explicit OstrakonLV2UI(const IPlugLV2UIDesc* desc);
  ~OstrakonLV2UI() override;

  void OnParamChange(int paramIdx) override;
  void OnMeter(int meter, float value) override;
  void OnIdle() override;

  Ostrakongui* GetEditor() const { return mGui.get(); }
  // The editor control fed by meter output m, -1 for none.
  int MeterControl(int meter) const
  {
    return meter >= 0 && meter < (int) mMeterControls.size() ? mMeterControls[meter] : -1;
  }

  // How long the meters keep being redrawn after the last reading: the bars fall and
  // the hold lines fade even when the host stops sending.
  static constexpr std::chrono::milliseconds kMeterFall{3000};

private:
  std::unique_ptr<Ostrakongui> mGui;
  std::vector<int> mMeterControls;
  std::chrono::steady_clock::time_point mLastMeter{};
};

extern const IPlugLV2UIBundle kOstrakonLV2UIBundle;
