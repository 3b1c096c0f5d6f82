#pragma once
// An LV2 control port's scale: the range its parameter had when the plug-in was
// constructed. A parameter whose range moves later (another setting re-ranges it) keeps
// its knob position: a port value then names the position it has on this scale. The
// adapter, and whoever writes or reads the ports' values in a preset, share these rules.

#include "IPlug/IParam.h"

struct LV2PortScale
{
  double min = 0.0, max = 1.0, shape = 1.0;

  static LV2PortScale Of(const IParam& asConstructed)
  {
    return {asConstructed.GetMin(), asConstructed.GetMax(), asConstructed.GetShape()};
  }

  // The value the port holds for the parameter's current setting.
  float PortValue(const IParam& param) const;
  // A port's value as the parameter takes it: held to the scale, then stored as the
  // value or, while the range has moved, as the knob position. The caller then passes
  // the change on (OnParamChange).
  void Apply(IParam* param, float value) const;
};
