#include "IPlug/IPlugLV2PortScale.h"

#include "IPlug/IParam.h"

#include <cmath>

IPlugLV2PortScale IPlugLV2PortScale::Of(const IParam* param)
{
  return {param->GetMin(), param->GetMax(), param->GetShape()};
}

void IPlugLV2PortScale::Apply(IParam* param, float value) const
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

float IPlugLV2PortScale::PortValue(const IParam* param) const
{
  if (param->GetMin() == min && param->GetMax() == max) return (float) param->Value();
  return (float) (min + (max - min) * std::pow(param->GetNormalized(), shape));
}
