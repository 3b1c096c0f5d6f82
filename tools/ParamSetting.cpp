#include "tools/ParamSetting.h"

#include <cmath>
#include <cstdlib>

bool ParseParamSetting(const std::string& arg, ParamSetting* setting, std::string* error)
{
  const size_t eq = arg.find('=');
  if (eq == std::string::npos || eq == 0)
  {
    *error = "--set needs NAME_OR_INDEX=VALUE, not '" + arg + "'";
    return false;
  }
  setting->target = arg.substr(0, eq);
  setting->value = arg.substr(eq + 1);
  return true;
}

int FindParam(const IPlugBase& plug, const std::string& target, std::string* error)
{
  const int n = plug.NParams();
  for (int i = 0; i < n; ++i)
    if (target == plug.GetParam(i)->GetNameForHost()) return i;

  const bool digits = !target.empty() && target.size() <= 9 &&
                      target.find_first_not_of("0123456789") == std::string::npos;
  if (digits)
  {
    const int idx = atoi(target.c_str());
    if (idx < n) return idx;
  }
  *error = "unknown parameter '" + target + "' (a host name or an index 0.." +
           std::to_string(n - 1) + ", as 'ostrakon params' lists them)";
  return -1;
}

bool ParseParamValue(const IParam& param, const std::string& text, double* value,
                     std::string* error)
{
  const char* begin = text.c_str();
  char* end = nullptr;
  const double v = strtod(begin, &end);
  const bool parsed = end != begin && *end == 0;
  if (parsed && std::isfinite(v))
  {
    *value = v < param.GetMin() ? param.GetMin() : v > param.GetMax() ? param.GetMax() : v;
    return true;
  }

  int mapped = 0;
  if (param.MapDisplayText(text.c_str(), &mapped))
  {
    *value = (double) mapped;
    return true;
  }

  *error = "value '" + text + "' for \"" + param.GetNameForHost() + "\" is not a " +
           (parsed ? "finite number" : "number");
  const int nTexts = param.GetNDisplayTexts();
  if (nTexts > 0)
  {
    *error += " nor one of";
    for (int i = 0; i < nTexts; ++i)
      *error += std::string(i ? ", " : " ") + "\"" + param.GetDisplayTextAtIdx(i) + "\"";
  }
  return false;
}
