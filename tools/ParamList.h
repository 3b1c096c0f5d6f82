#pragma once
// The parameter listing of `ostrakon params`, read from a plug-in's own records.

#include "IPlug/IPlugBase.h"

#include <cstdio>
#include <string>

// %g with as many digits as the value needs to read back exactly (at least 6).
std::string FormatNumber(double value);
// The same for a 32-bit float, as a host receives values: "0.2", not "0.200000003".
std::string FormatFloat(float value);

// "bool", "int", "enum", "double" (or "none" for a record never initialised).
const char* ParamKindName(IParam::EParamType kind);

// One tab-separated line, without the newline: index, "name", kind, default, minimum,
// maximum, "label", shape, and the default's display text.
std::string FormatParamRow(int idx, const IParam& param);

// Every parameter of plug, one row a line; false when out could not be written.
bool PrintParamList(const IPlugBase& plug, FILE* out);
