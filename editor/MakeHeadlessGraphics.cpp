// The default MakeGraphics: the strip without a window (see EditorGraphics.h). Alone in
// its file so that a program with a window of its own links its definition instead.
#include "editor/EditorGraphics.h"
#include "editor/EditorGraphicsHeadless.h"

IGraphics* MakeGraphics(IPlugBase* plug, int width, int height, int fps)
{
  return new EditorGraphicsHeadless(plug, width, height, fps);
}
