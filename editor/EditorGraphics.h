#pragma once
// How the strip gets its graphics context, and where the editor's artwork is found.
//
// MakeGraphics is a seam each build target fills: the library ostrakon_editor_headless
// holds the default, a context without a window (EditorGraphicsHeadless), which the
// renderer, the tests and the LV2 plug-in use. A target with a window defines its own
// MakeGraphics in one of its own object files (not in a static library listed after the
// strip's); that definition is then the one linked.

#include <string>
#include <vector>

class IGraphics;
class IPlugBase;

// A new context for plug, width x height pixels, repainted fps times a second (25 when
// fps <= 0). The caller attaches it to the plug-in, which then owns it.
IGraphics* MakeGraphics(IPlugBase* plug, int width, int height, int fps);

// The folders that may hold the editor's bitmaps, in order: besideBinary (the
// "resources" folder beside the binary the strip is linked into: an installation, an
// LV2 bundle), then the build tree's bitmap folder.
std::vector<std::string> EditorResourceFolders(const std::string& besideBinary);
// Whether the folder holds the editor's artwork (its background, the first bitmap made).
bool HoldsEditorArtwork(const std::string& folder);
// The first of the folders that holds the editor's artwork, or the first when none does.
std::string ChooseEditorResourceFolder(const std::vector<std::string>& folders);
// Puts the folder in use first, the others after it in their order.
void OrderEditorResourceFolders(std::vector<std::string>* folders, const std::string& inUse);
// Where a bitmap was looked for, for the message of a failed load: the file in the folder
// in use, and, when no folder held the artwork, the folders considered.
std::string DescribeEditorBitmapLookup(const char* name, const std::string& inUse,
                                       const std::vector<std::string>& candidates, bool artworkFound);
