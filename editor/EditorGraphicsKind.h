#pragma once
// Which graphics context the strips made from now on get, in a program that links the
// object library ostrakon_editor_windowed (whose MakeGraphics this is): without a window
// (the default) or in an X11 window (EditorGraphicsX11). Set it on the thread that makes
// the strips, before making them.

enum class EditorGraphicsKind
{
  Headless,
  X11
};

void SetEditorGraphicsKind(EditorGraphicsKind kind);
EditorGraphicsKind GetEditorGraphicsKind();
