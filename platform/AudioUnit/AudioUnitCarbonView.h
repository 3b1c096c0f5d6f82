#pragma once
// The Carbon view component's type and its one selector.

enum
{
  kAudioUnitCarbonViewComponentType = 0x61757677, // 'auvw'
  kAudioUnitCarbonViewRange = 0x0300,
  kAudioUnitCarbonViewCreateSelect = 0x0301
};
