#include "tools/ParamList.h"

#include <cstdlib>

std::string FormatNumber(double value)
{
  char buf[40];
  for (int precision = 6; precision <= 17; ++precision)
  {
    snprintf(buf, sizeof(buf), "%.*g", precision, value);
    if (strtod(buf, nullptr) == value) break;
  }
  return buf;
}

std::string FormatFloat(float value)
{
  char buf[40];
  for (int precision = 6; precision <= 9; ++precision)
  {
    snprintf(buf, sizeof(buf), "%.*g", precision, (double) value);
    if (strtof(buf, nullptr) == value) break;
  }
  return buf;
}

const char* ParamKindName(IParam::EParamType kind)
{
  switch (kind)
  {
    case IParam::kTypeBool: return "bool";
    case IParam::kTypeInt: return "int";
    case IParam::kTypeEnum: return "enum";
    case IParam::kTypeDouble: return "double";
    case IParam::kTypeNone: break;
  }
  return "none";
}

std::string FormatParamRow(int idx, const IParam& param)
{
  char display[MAX_PARAM_DISPLAY_LEN];
  param.GetDisplayForHost(param.GetDefault(), false, display, true);
  std::string row = std::to_string(idx);
  row += "\t\"" + std::string(param.GetNameForHost()) + "\"";
  row += "\t" + std::string(ParamKindName(param.Type()));
  row += "\t" + FormatNumber(param.GetDefault());
  row += "\t" + FormatNumber(param.GetMin());
  row += "\t" + FormatNumber(param.GetMax());
  row += "\t\"" + std::string(param.GetLabel()) + "\"";
  row += "\t" + FormatNumber(param.GetShape());
  row += "\t" + std::string(display);
  return row;
}

bool PrintParamList(const IPlugBase& plug, FILE* out)
{
  const int n = plug.NParams();
  for (int i = 0; i < n; ++i) fprintf(out, "%s\n", FormatParamRow(i, *plug.GetParam(i)).c_str());
  return fflush(out) == 0 && !ferror(out);
}
