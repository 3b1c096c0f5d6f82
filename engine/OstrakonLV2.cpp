#include "engine/OstrakonLV2.h"

#include "engine/Ostrakon.h"
#include "engine/OstrakonPresets.h"

namespace
{
using M = Ostrakon::EPeakMeter;


// The strip meters as it measures them per block, channel by channel.
void ReadStereoMeters(const IPlugLV2* plug, float* v)
{
  const Ostrakon& o = static_cast<const Ostrakon&>(*plug);
  const M order[] = {Ostrakon::kMeterInL, Ostrakon::kMeterInR, Ostrakon::kMeterOutL, Ostrakon::kMeterOutR};
  for (int i = 0; i < 4; ++i)
  {
    v[i] = (float) o.GetPeak(order[i]);
    v[4 + i] = (float) o.GetEqPeak(order[i]);
    v[8 + i] = (float) o.GetDynPeak(0, order[i]);
    v[12 + i] = (float) o.GetDynPeak(1, order[i]);
  }
  v[16] = (float) o.GetGainReduction(0);
  v[17] = (float) o.GetGainReduction(1);
}

// The left channel's: a mono host's signal runs there.
void ReadMonoMeters(const IPlugLV2* plug, float* v)
{
  const Ostrakon& o = static_cast<const Ostrakon&>(*plug);
  v[0] = (float) o.GetPeak(Ostrakon::kMeterInL);
  v[1] = (float) o.GetPeak(Ostrakon::kMeterOutL);
  v[2] = (float) o.GetEqPeak(Ostrakon::kMeterInL);
  v[3] = (float) o.GetEqPeak(Ostrakon::kMeterOutL);
  for (int s = 0; s < 2; ++s)
  {
    v[4 + 2 * s] = (float) o.GetDynPeak(s, Ostrakon::kMeterInL);
    v[5 + 2 * s] = (float) o.GetDynPeak(s, Ostrakon::kMeterOutL);
  }
  v[8] = (float) o.GetGainReduction(0);
  v[9] = (float) o.GetGainReduction(1);
}

const IPlugLV2Plugin kPlugins[] = {
  {kOstrakonLV2StereoURI, "Quarro Ostrakon", 2, kOstrakonLV2StereoMeters, kOstrakonLV2NumStereoMeters,
   ReadStereoMeters, kOstrakonLV2StereoUIURI},
  {kOstrakonLV2MonoURI, "Quarro Ostrakon Mono", 1, kOstrakonLV2MonoMeters, kOstrakonLV2NumMonoMeters,
   ReadMonoMeters, kOstrakonLV2MonoUIURI},
};

const char* const kClasses[] = {"lv2:EQPlugin", "lv2:CompressorPlugin"};

// The attack and release ranges follow the dynamics type while a port's range is fixed:
// the port holds the knob position, read on the VCA scale.
const IPlugLV2PortComment kComments[] = {
  {kDyn1Attack, "Knob position on the VCA scale: the same position gives the FET or expander time when "
                "Dyn. 1 Type selects it."},
  {kDyn1Release, "Knob position on the VCA scale: the same position gives the FET or expander time when "
                 "Dyn. 1 Type selects it."},
  {kDyn2Attack, "Knob position on the VCA scale: the same position gives the FET or expander time when "
                "Dyn. 2 Type selects it."},
  {kDyn2Release, "Knob position on the VCA scale: the same position gives the FET or expander time when "
                 "Dyn. 2 Type selects it."},
};

IPlugLV2* MakeOstrakonLV2() { return MakePlug(); }
} // namespace

const IPlugLV2Bundle kOstrakonLV2Bundle = {
  "ostrakon.so",
  "ostrakon.ttl",
  kOstrakonLV2StateKey,
  kOstrakonLV2StateVersionKey,
  kOstrakonLV2StateVersion,
  kClasses,
  (int) (sizeof kClasses / sizeof kClasses[0]),
  kPlugins,
  (int) (sizeof kPlugins / sizeof kPlugins[0]),
  kComments,
  (int) (sizeof kComments / sizeof kComments[0]),
  kOstrakonFactoryPresets,
  kNumOstrakonFactoryPresets,
  MakeOstrakonLV2,
  kOstrakonLV2UIBinary,
};
