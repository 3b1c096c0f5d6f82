#pragma once
// The strip's factory presets: what a mixing engineer reaches for first. The LV2 bundle
// ships them as LV2 presets, made from these settings when the bundle is built.

#include "IPlug/IPlugLV2Bundle.h"

constexpr int kNumOstrakonFactoryPresets = 5;
extern const IPlugLV2Preset kOstrakonFactoryPresets[kNumOstrakonFactoryPresets];
