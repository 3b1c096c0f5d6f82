#pragma once
// How a control's bitmaps are laid onto the surface: a blend method and its weight
// (0..1, the opacity of the source's contribution).

struct IChannelBlend
{
  enum EBlendMethod : int
  {
    kBlendNormal = 0,    // copy, honouring the source's alpha
    kBlendOpaque = 1,    // opaque copy, ignoring the source's alpha
    kBlendAdd = 2,       // add, honouring the source's alpha
    kBlendColorDodge = 3 // colour dodge, honouring the source's alpha
  };

  EBlendMethod mMethod = kBlendNormal; // any other value draws like kBlendNormal
  float mWeight = 1.0f;

  IChannelBlend() = default;
  IChannelBlend(EBlendMethod method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};
