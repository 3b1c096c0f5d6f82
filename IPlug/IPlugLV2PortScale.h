#pragma once
// A control port's scale: the range its parameter had when the plug-in was made. A
// parameter whose range moves later (another setting re-ranges it) keeps its knob
// position: a port value then names the position it has on this scale. The plug-in and
// its editor, which both talk to the host in port values, read them the same way.

class IParam;

struct IPlugLV2PortScale
{
  double min = 0.0, max = 1.0, shape = 1.0;

  static IPlugLV2PortScale Of(const IParam* param);

  // The parameter takes the port value, clamped into the scale.
  void Apply(IParam* param, float value) const;
  // The port value for the parameter's current setting.
  float PortValue(const IParam* param) const;
};
