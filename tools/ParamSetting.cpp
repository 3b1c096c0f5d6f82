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

int FindParam(const std::vector<std::string>& names, const std::string& target, std::string* error)
{
  const int n = (int) names.size();
  for (int i = 0; i < n; ++i)
    if (target == names[(size_t) i]) return i;

  const bool digits = !target.empty() && target.size() <= 9 &&
                      target.find_first_not_of("0123456789") == std::string::npos;
  if (digits)
  {
    const int idx = atoi(target.c_str());
    if (idx < n) return idx;
  }
  *error = "unknown parameter '" + target + "' (a host name or an index 0.." + std::to_string(n - 1) +
           ", as 'ostrakon params' lists them)";
  return -1;
}

bool ParseNumber(const std::string& text, double* value, bool* finite)
{
  const char* begin = text.c_str();
  char* end = nullptr;
  const double v = strtod(begin, &end);
  if (end == begin || *end != 0) return false;
  *value = v;
  *finite = std::isfinite(v);
  return true;
}
