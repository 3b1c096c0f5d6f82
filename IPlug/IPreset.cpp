#include "IPlug/IPreset.h"

#include "IPlug/WDL/WDL_PtrList.h"

#include <cstdio>
#include <cstring>

IPreset* GetNextUninitializedPreset(WDL_PtrList<IPreset>* presets)
{
  const int n = presets ? presets->GetSize() : 0;
  for (int i = 0; i < n; ++i)
  {
    IPreset* preset = presets->Get(i);
    if (preset && !preset->mInitialized) return preset;
  }
  return nullptr;
}

void MakeDefaultUserPresetName(WDL_PtrList<IPreset>* presets, char* out)
{
  if (!out) return;
  const char* const kUserPreset = "user preset";
  int count = 0;
  const int n = presets ? presets->GetSize() : 0;
  for (int i = 0; i < n; ++i)
  {
    const IPreset* preset = presets->Get(i);
    if (preset && strstr(preset->mName, kUserPreset)) ++count;
  }
  snprintf(out, MAX_PRESET_NAME_LEN, "%s %d", kUserPreset, count + 1);
}
