#include "editor/EditorGraphics.h"
#include "editor/EditorGraphicsX11.h"
#include "engine/OstrakonLV2UI.h"

// The entry an LV2 host finds the bundle's editors through.
extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
  return IPlugLV2UI::Descriptor(index, kOstrakonLV2UIBundle);
}

// The editors' graphics context: an X11 window, embedded in the host's or of its own,
// with the artwork from the bundle's resources folder beside this binary.
IGraphics* MakeGraphics(IPlugBase* plug, int width, int height, int fps)
{
  return new EditorGraphicsX11(plug, width, height, fps);
}
