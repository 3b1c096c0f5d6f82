#include "editor/EditorGraphicsKind.h"

#include "editor/EditorGraphics.h"
#include "editor/EditorGraphicsHeadless.h"
#include "editor/EditorGraphicsX11.h"

#include <atomic>

namespace
{
std::atomic<EditorGraphicsKind> gKind{EditorGraphicsKind::Headless};
} // namespace

void SetEditorGraphicsKind(EditorGraphicsKind kind) { gKind.store(kind); }
EditorGraphicsKind GetEditorGraphicsKind() { return gKind.load(); }

IGraphics* MakeGraphics(IPlugBase* plug, int width, int height, int fps)
{
  if (gKind.load() == EditorGraphicsKind::X11) return new EditorGraphicsX11(plug, width, height, fps);
  return new EditorGraphicsHeadless(plug, width, height, fps);
}
