#pragma once
// Writes an LV2 bundle's Turtle from the plug-in's own parameter records and the
// bundle description: manifest.ttl, and one file describing every plug-in and its ports.

#include "IPlug/IPlugLV2Bundle.h"

#include <string>

class IPlugBase;

// A port symbol from a host name: lower case, each run of other characters one
// underscore, none at the ends ("Dyn. 1 Thresh." gives "dyn_1_thresh").
std::string LV2SymbolFromName(const char* name);

// A Turtle string literal, quotes included, with quotes, backslashes and line breaks escaped.
std::string LV2Quoted(const char* text);
// A Turtle decimal of v in single precision that reads back as the same float ("80.0").
std::string LV2Decimal(double v);

std::string LV2ManifestTtl(const IPlugLV2Bundle& bundle);
// plug supplies the parameter records, as constructed. Empty, with a message, when two
// ports of a plug-in would share a symbol.
std::string LV2PluginsTtl(const IPlugLV2Bundle& bundle, const IPlugBase& plug, std::string* error);

// Both files and the factory presets' files into the directory dir (which must exist),
// from plug-ins made by the bundle's factory.
bool WriteLV2BundleTtl(const IPlugLV2Bundle& bundle, const std::string& dir, std::string* error);
