#pragma once
// A small editor whose meters the audio thread feeds: a background, eight meters and a
// knob, a switch, a fader and a caption bound to parameters.

#include "GuiTestSupport.h"

#include "IPlug/controls/IBitmapControl.h"
#include "IPlug/controls/ICaptionControl.h"
#include "IPlug/controls/IFaderControl.h"
#include "IPlug/controls/IKnobMultiControl.h"
#include "IPlug/controls/ISwitchControl.h"

struct MeterEditor
{
  GuiRig rig{120, 80};
  std::unique_ptr<LICE_MemBitmap> strip = Filmstrip(10, 10, {0xFF101010, 0xFF202020, 0xFF303030, 0xFF404040});
  IBitmap b = Wrap(strip.get(), 4);
  std::vector<int> meters;

  MeterEditor()
  {
    rig.Add(new IBitmapControl(&rig.plug, 0, 0, &b));
    for (int i = 0; i < 8; ++i)
      meters.push_back(rig.g->AttachControl(new IBitmapControl(&rig.plug, 10 * i, 20, &b)));
    rig.Add(new IKnobMultiControl(&rig.plug, 0, 40, kGain, &b));
    rig.Add(new ISwitchControl(&rig.plug, 20, 40, kMode, &b));
    rig.Add(new IFaderControl(&rig.plug, 40, 40, 30, kFreq, &b));
    IRECT r(60, 40, 110, 52);
    IText t(10);
    rig.Add(new ICaptionControl(&rig.plug, &r, kGain, &t));
    rig.RepaintAll();
  }
};
