#pragma once
// Everything of the Audio Unit framework that the stand-in offers.

#include "platform/AudioUnit/AUComponent.h"
#include "platform/AudioUnit/AudioUnitCarbonView.h"
#include "platform/AudioUnit/AudioUnitProperties.h"
#include "platform/AudioUnit/MusicDevice.h"
