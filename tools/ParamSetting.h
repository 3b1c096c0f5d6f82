#pragma once
// A parameter change given on the command line as NAME_OR_INDEX=VALUE: the target is a
// host name (exact) or an index, the value a number in the parameter's real units or,
// for parameters with value strings, one of those strings ("FET", "on").

#include <string>
#include <vector>

struct ParamSetting
{
  std::string target;
  std::string value;
};

// Splits at the first '='; fails on a missing '=' or an empty target.
bool ParseParamSetting(const std::string& arg, ParamSetting* setting, std::string* error);

// The index of the parameter with exactly this host name, or of this decimal index,
// among names (the host names in index order); -1 with a message when there is none.
int FindParam(const std::vector<std::string>& names, const std::string& target, std::string* error);

// True when the whole text is a number; *finite tells whether it is a finite one.
bool ParseNumber(const std::string& text, double* value, bool* finite);
