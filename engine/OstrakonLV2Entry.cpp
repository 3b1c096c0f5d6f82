#include "engine/OstrakonLV2.h"

#include "IPlug/IPlugLV2.h"

// The entry an LV2 host finds the bundle's plug-ins through.
extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
  return IPlugLV2::Descriptor(index, kOstrakonLV2Bundle);
}
