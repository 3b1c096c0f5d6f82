#pragma once
// A bitmap, or one frame of a filmstrip chosen by the value: frame 1 at 0, frame N at 1.

#include "IPlug/IBitmap.h"
#include "IPlug/IControl.h"

class IBitmapControl : public IControl
{
public:
  // Occupies one frame of the bitmap at (x, y).
  IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNormal);
  IBitmapControl(IPlugBase* plug, int x, int y, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNormal);

  bool Draw(IGraphics* graphics) override;

  IBitmap* GetBitmap() { return &mBitmap; }

  // The frame (1..nFrames) that shows value: trunc((nFrames - 1) * value + 0.5) + 1.
  static int FrameForValue(double value, int nFrames);

protected:
  IBitmap mBitmap;
};
