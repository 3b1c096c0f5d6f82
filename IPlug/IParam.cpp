#include "IPlug/IParam.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

int TruncToInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return (int) v;
}

double DBToAmp(double dB) { return std::exp(dB * 0.1151292546497); }

void CopyBounded(char* dst, const char* src, int size)
{
  if (!src) src = "";
  int n = 0;
  while (n < size - 1 && src[n]) ++n;
  memmove(dst, src, (size_t) n); // callers may pass a record's own text back
  dst[n] = 0;
}

void IParam::InitCommon(EParamType type, const char* name, double defaultVal, double minVal,
                        double maxVal, double step, const char* label)
{
  if (mType == kTypeNone) mType = type;
  CopyBounded(mName, name, MAX_PARAM_NAME_LEN);
  CopyBounded(mLabel, label, MAX_PARAM_LABEL_LEN);
  mValue = mDefault = defaultVal;
  mMin = minVal;
  mMax = maxVal;
  mStep = step;
  mDisplayPrecision = 0;
}

void IParam::InitBool(const char* name, bool defaultVal, const char*)
{
  // The label argument is accepted for symmetry; a switch shows its texts instead.
  InitCommon(kTypeBool, name, defaultVal ? 1.0 : 0.0, 0.0, 1.0, 1.0, "");
  SetDisplayText(0.0, "off");
  SetDisplayText(1.0, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums)
{
  const double maxVal = nEnums - 1 > 1 ? (double) (nEnums - 1) : 1.0;
  InitCommon(kTypeEnum, name, (double) defaultVal, 0.0, maxVal, 1.0, "");
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label)
{
  const double lo = (double) minVal;
  const double hi = (double) maxVal > lo + 1.0 ? (double) maxVal : lo + 1.0;
  InitCommon(kTypeInt, name, (double) defaultVal, lo, hi, 1.0, label);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label)
{
  const double hi = maxVal > minVal + step ? maxVal : minVal + step;
  InitCommon(kTypeDouble, name, defaultVal, minVal, hi, step, label);
  // Decimals of the step, at most 6.
  double x = step;
  while (mDisplayPrecision <= 5 && std::floor(x) != x)
  {
    ++mDisplayPrecision;
    x *= 10.0;
  }
}

void IParam::SetDisplayText(double value, const char* text)
{
  DisplayText dt;
  memset(&dt, 0, sizeof(dt));
  dt.mValue = value;
  CopyBounded(dt.mText, text, MAX_PARAM_DISPLAY_LEN);
  mDisplayTexts.Add(dt);
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) mShape = shape;
}

int IParam::Int() const { return TruncToInt(mValue); }

double IParam::DBToAmp() const { return ::DBToAmp(mValue); }

void IParam::SetNormalized(double normalizedValue)
{
  mValue = mMin + (mMax - mMin) * std::pow(normalizedValue, mShape);
  if (mType != kTypeDouble) mValue = mStep * std::floor(mValue / mStep + 0.5);
  if (mValue > mMax) mValue = mMax;
}

double IParam::GetNormalized(double v) const
{
  const double range = mMax - mMin;
  if (!(range > 0.0)) return 0.0; // a degenerate range has only one position
  if (v < mMin) v = mMin;
  if (v > mMax) v = mMax;
  return std::pow((v - mMin) / range, 1.0 / mShape);
}

const IParam::DisplayText* IParam::FindDisplayText(double key) const
{
  const int n = mDisplayTexts.GetSize();
  const DisplayText* dt = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i)
  {
    const double d = key - dt[i].mValue;
    if (d > -1e-06 && d < 1e-06) return dt + i;
  }
  return nullptr;
}

const char* IParam::GetDisplayText(double value) const
{
  const DisplayText* dt = FindDisplayText(value);
  return dt ? dt->mText : "";
}

const char* IParam::GetLabelForHost() const
{
  return GetDisplayText(mValue)[0] ? "" : mLabel;
}

const char* IParam::GetDisplayTextAtIdx(int idx, double* value) const
{
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return nullptr;
  const DisplayText& dt = mDisplayTexts.Get()[idx];
  if (value) *value = dt.mValue;
  return dt.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const
{
  if (!text) return false;
  const int n = mDisplayTexts.GetSize();
  const DisplayText* dt = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i)
  {
    if (!strcmp(text, dt[i].mText))
    {
      if (value) *value = TruncToInt(dt[i].mValue);
      return true;
    }
  }
  return false;
}

void IParam::GetBounds(double* minVal, double* maxVal) const
{
  if (minVal) *minVal = mMin;
  if (maxVal) *maxVal = mMax;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText) const
{
  if (!out) return;
  if (normalized) value = mMin + (mMax - mMin) * std::pow(value, mShape);

  if (withDisplayText && mDisplayTexts.GetSize() > 0)
  {
    const DisplayText* dt = FindDisplayText((double) TruncToInt(value));
    if (dt && dt->mText[0])
    {
      CopyBounded(out, dt->mText, MAX_PARAM_DISPLAY_LEN);
      return;
    }
  }

  const double shown = mNegateDisplay ? -value : value;
  char buf[400]; // room for any double printed in fixed point with up to 6 decimals
  if (mDisplayPrecision == 0)
  {
    snprintf(buf, sizeof(buf), "%d", TruncToInt(shown));
  }
  else
  {
    char fmt[16];
    snprintf(fmt, sizeof(fmt), "%%.%df", mDisplayPrecision);
    snprintf(buf, sizeof(buf), fmt, shown);
  }
  CopyBounded(out, buf, MAX_PARAM_DISPLAY_LEN);
}
