#pragma once
// One automatable parameter: its kind, current value in real units, range, step,
// normalisation curve, name, unit label and value-to-text table.

#include "IPlug/WDL/WDL_TypedBuf.h"

// Names, labels and display texts hold at most this many bytes, NUL included.
constexpr int MAX_PARAM_NAME_LEN = 32;
constexpr int MAX_PARAM_LABEL_LEN = 32;
constexpr int MAX_PARAM_DISPLAY_LEN = 32;

class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4
  };

  struct DisplayText
  {
    double mValue;
    char mText[MAX_PARAM_DISPLAY_LEN];
  };

  IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  EParamType Type() const { return mType; }

  // The kind is kept from the first initialiser; values are not clamped to the range.
  void InitBool(const char* name, bool defaultVal, const char* label = "");
  void InitEnum(const char* name, int defaultVal, int nEnums);
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "");

  void Set(double value) { mValue = value; }
  void SetDisplayText(double value, const char* text);
  void SetShape(double shape); // 0 is ignored
  void NegateDisplay() { mNegateDisplay = true; }

  double Value() const { return mValue; }
  bool Bool() const { return mValue >= 0.5; }
  int Int() const;
  double DBToAmp() const;

  void SetNormalized(double normalizedValue);
  double GetNormalized() const { return GetNormalized(mValue); }
  double GetNormalized(double nonNormalizedValue) const;

  // out must hold MAX_PARAM_DISPLAY_LEN bytes; longer results are cut to fit.
  void GetDisplayForHost(char* out, bool withDisplayText = true) const
  {
    GetDisplayForHost(mValue, false, out, withDisplayText);
  }
  void GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText = true) const;

  const char* GetNameForHost() const { return mName; }
  const char* GetLabelForHost() const;
  const char* GetLabel() const { return mLabel; }

  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The text for a value within 1e-06, or "".
  const char* GetDisplayText(double value) const;
  // The idx-th text (and its value), or null outside the table.
  const char* GetDisplayTextAtIdx(int idx, double* value = nullptr) const;
  // Exact reverse lookup; writes the value (truncated) only on a match.
  bool MapDisplayText(const char* text, int* value) const;

  void GetBounds(double* minVal, double* maxVal) const;
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  double GetDefaultNormalized() const { return GetNormalized(mDefault); }
  int GetPrecision() const { return mDisplayPrecision; }
  bool GetNegateDisplay() const { return mNegateDisplay; }

private:
  void InitCommon(EParamType type, const char* name, double defaultVal, double minVal, double maxVal,
                  double step, const char* label);
  const DisplayText* FindDisplayText(double key) const;

  EParamType mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[MAX_PARAM_NAME_LEN] = {};
  char mLabel[MAX_PARAM_LABEL_LEN] = {};
  bool mNegateDisplay = false;
  WDL_TypedBuf<DisplayText> mDisplayTexts{8 * (int) sizeof(DisplayText)};
};

// Truncates toward zero like a C cast, but maps NaN to 0 and saturates at the int range,
// where the cast itself would be undefined.
int TruncToInt(double v);

// A value in decibels as a linear gain factor: what IParam::DBToAmp reads.
double DBToAmp(double dB);

// Copies at most size - 1 characters and always terminates; size must be > 0.
void CopyBounded(char* dst, const char* src, int size);
