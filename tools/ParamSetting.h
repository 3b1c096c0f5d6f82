#pragma once
// A parameter change given on the command line as NAME_OR_INDEX=VALUE: the target is a
// host name (exact) or an index, the value a number in the parameter's real units or,
// for parameters with display texts, one of those texts ("FET", "on").

#include "IPlug/IPlugBase.h"

#include <string>

struct ParamSetting
{
  std::string target;
  std::string value;
};

// Splits at the first '='; fails on a missing '=' or an empty target.
bool ParseParamSetting(const std::string& arg, ParamSetting* setting, std::string* error);

// The index of the parameter with exactly this host name, or of this decimal index;
// -1 with a message when there is none.
int FindParam(const IPlugBase& plug, const std::string& target, std::string* error);

// The value in real units, clamped into the parameter's current range; false with a
// message when the text is neither a finite number nor one of its display texts.
bool ParseParamValue(const IParam& param, const std::string& text, double* value,
                     std::string* error);
