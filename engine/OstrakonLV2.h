#pragma once
// The strip as an LV2 bundle: a stereo and a mono plug-in, their meter outputs and the
// key its state is saved under. The URIs never change once released.

#include "IPlug/IPlugLV2Bundle.h"

constexpr const char* kOstrakonLV2StereoURI = "https://quarro.audio/plugins/ostrakon";
constexpr const char* kOstrakonLV2MonoURI = "https://quarro.audio/plugins/ostrakon#mono";
// The editor of each, an X11 UI in a shared object of its own.
constexpr const char* kOstrakonLV2StereoUIURI = "https://quarro.audio/plugins/ostrakon#ui";
constexpr const char* kOstrakonLV2MonoUIURI = "https://quarro.audio/plugins/ostrakon#mono-ui";
constexpr const char* kOstrakonLV2UIBinary = "ostrakon_ui.so";
constexpr const char* kOstrakonLV2StateKey = "https://quarro.audio/plugins/ostrakon#parameters";
constexpr const char* kOstrakonLV2StateVersionKey = "https://quarro.audio/plugins/ostrakon#parametersVersion";
// The format of the saved chunk: the 40 normalised parameter values.
constexpr int kOstrakonLV2StateVersion = 1;

extern const IPlugLV2Bundle kOstrakonLV2Bundle;

// The meter outputs of the stereo plug-in (input, output, EQ and both dynamics slots'
// peaks, left and right, then the two gain reductions) and of the mono plug-in (the
// same, one channel each).
constexpr int kOstrakonLV2NumStereoMeters = 18, kOstrakonLV2NumMonoMeters = 10;
extern const IPlugLV2Meter kOstrakonLV2StereoMeters[kOstrakonLV2NumStereoMeters];
extern const IPlugLV2Meter kOstrakonLV2MonoMeters[kOstrakonLV2NumMonoMeters];
