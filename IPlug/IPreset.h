#pragma once
// One entry of a plug-in's preset list: a name and, once initialised, a parameter
// state chunk of normalised values.

#include "IPlug/ByteChunk.h"
#include "IPlug/IParam.h"

// Bytes of a preset name, NUL included; longer names are cut.
constexpr int MAX_PRESET_NAME_LEN = 256;

struct IPreset
{
  IPreset() { SetName("empty"); }

  void SetName(const char* name) { CopyBounded(mName, name ? name : "", MAX_PRESET_NAME_LEN); }

  bool mInitialized = false;
  char mName[MAX_PRESET_NAME_LEN];
  ByteChunk mChunk;
};

template <class T>
class WDL_PtrList;

// The first entry that holds no state yet, or null.
IPreset* GetNextUninitializedPreset(WDL_PtrList<IPreset>* presets);

// "user preset N", N one more than the number of entries whose name contains
// "user preset"; out holds MAX_PRESET_NAME_LEN bytes.
void MakeDefaultUserPresetName(WDL_PtrList<IPreset>* presets, char* out);
