#include "engine/OstrakonLV2UI.h"

// The entry an LV2 host finds the bundle's editors through.
extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
  return IPlugLV2UI::Descriptor(index, kOstrakonLV2UIBundle);
}
