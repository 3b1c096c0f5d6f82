#include "IPlug/LV2PortScale.h"

#include <cmath>

float LV2PortScale::PortValue(const IParam& param) const
{
  if (param.GetMin() == min && param.GetMax() == max) return (float) param.Value();
  // The knob position on the port's scale.
  return (float) (min + (max - min) * std::pow(param.GetNormalized(), shape));
}

void LV2PortScale::Apply(IParam* param, float value) const
{
  double v = value;
  if (v < min) v = min;
  if (v > max) v = max;
  double lo = 0.0, hi = 1.0;
  param->GetBounds(&lo, &hi);
  if (lo == min && hi == max)
    param->Set(v);
  else
  {
    const double range = max - min;
    param->SetNormalized(range > 0.0 ? std::pow((v - min) / range, 1.0 / shape) : 0.0);
  }
}
