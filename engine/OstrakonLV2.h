#pragma once
// The strip as an LV2 bundle: a stereo and a mono plug-in, their meter outputs and the
// key its state is saved under. The URIs never change once released.

#include "IPlug/IPlugLV2Bundle.h"

constexpr const char* kOstrakonLV2StereoURI = "https://quarro.audio/plugins/ostrakon";
constexpr const char* kOstrakonLV2MonoURI = "https://quarro.audio/plugins/ostrakon#mono";
constexpr const char* kOstrakonLV2StateKey = "https://quarro.audio/plugins/ostrakon#parameters";
constexpr const char* kOstrakonLV2StateVersionKey = "https://quarro.audio/plugins/ostrakon#parametersVersion";
// The format of the saved chunk: the 40 normalised parameter values.
constexpr int kOstrakonLV2StateVersion = 1;

extern const IPlugLV2Bundle kOstrakonLV2Bundle;
