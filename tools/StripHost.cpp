#include "tools/StripHost.h"

#include "IPlug/SampleRates.h"
#include "tools/OstrakonComponent.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace
{
std::string Status(OSStatus r) { return "(status " + std::to_string((int) r) + ")"; }
} // namespace

bool StripHost::Open(std::string* error)
{
  OSStatus r = mUnit.Open(OstrakonComponent());
  if (r != noErr)
  {
    *error = "cannot open the strip's component " + Status(r);
    return false;
  }
  std::vector<AudioUnitParameterID> ids;
  r = mUnit.GetParameterList(&ids);
  mNames.clear();
  for (size_t i = 0; r == noErr && i < ids.size(); ++i)
  {
    AUParamInfo info;
    // The strip numbers its parameters 0, 1, ...; the index is the ID.
    if (ids[i] != (AudioUnitParameterID) i) r = kAudioUnitErr_InvalidParameter;
    if (r == noErr) r = mUnit.GetParameterInfo(ids[i], &info);
    if (r == noErr) mNames.push_back(info.name);
  }
  if (r != noErr)
  {
    *error = "cannot read the strip's parameters " + Status(r);
    return false;
  }
  return true;
}

int StripHost::FindParam(const std::string& target, std::string* error) const
{
  return ::FindParam(mNames, target, error);
}

bool StripHost::SupportsChannels(int nChannels)
{
  std::vector<AUChannelInfo> layouts;
  if (nChannels < 1 || nChannels > kMaxChannels || mUnit.GetSupportedChannels(&layouts) != noErr)
    return false;
  for (const AUChannelInfo& l : layouts)
    if ((l.inChannels == -1 || l.inChannels == nChannels) &&
        (l.outChannels == -1 || l.outChannels == nChannels))
      return true;
  return false;
}

bool StripHost::CheckAudioFormat(const std::string& path, int nChannels, int rate, const char* use,
                                 std::string* error)
{
  if (!SupportsChannels(nChannels))
  {
    *error = "'" + path + "' has " + std::to_string(nChannels) +
             " channels; only mono and stereo files can be " + use;
    return false;
  }
  if (!IsSupportedSampleRate(rate))
  {
    *error = "'" + path + "' has a sample rate of " + std::to_string(rate) + " Hz; the strip runs at " +
             std::to_string((int) kMinSampleRate) + " to " + std::to_string((int) kMaxSampleRate) + " Hz";
    return false;
  }
  return true;
}

bool StripHost::Prepare(double sampleRate, int blockSize, int nChannels, std::string* error)
{
  if (!SupportsChannels(nChannels))
  {
    *error = "the strip has no layout for " + std::to_string(nChannels) + " channels";
    return false;
  }
  mChannels = nChannels;
  mOutputs = AUBufferList(nChannels);
  OSStatus r = mUnit.Configure(sampleRate, (UInt32) blockSize, (UInt32) nChannels);
  if (r == noErr) r = mUnit.SetInputCallback(PullInput, this);
  if (r == noErr) r = mUnit.Initialize();
  if (r != noErr)
  {
    *error = "the strip refused " + std::to_string(nChannels) + " channels at " +
             std::to_string((int) sampleRate) + " Hz in blocks of " + std::to_string(blockSize) + " " +
             Status(r);
    return false;
  }
  mSampleTime = 0.0;
  return true;
}

bool StripHost::CheckPreset(const AUPresetFile& preset, const std::string& path, std::string* error)
{
  ComponentDescription own;
  const OSStatus r = mUnit.GetDescription(&own);
  if (r != noErr)
  {
    *error = "cannot read the strip's component description " + Status(r);
    return false;
  }
  if (!preset.BelongsTo(own))
  {
    *error = "'" + path + "' is a preset of another component (" + ComponentCodes(preset.Owner()) + ", not " +
             ComponentCodes(own) + ")";
    return false;
  }
  return true;
}

bool StripHost::LoadPreset(const AUPresetFile& preset, const std::string& path, std::string* error)
{
  if (!CheckPreset(preset, path, error)) return false;
  const OSStatus r = mUnit.RestoreState(preset.State());
  if (r != noErr)
  {
    *error = "the strip refused the preset '" + path + "' " + Status(r);
    return false;
  }
  return true;
}

bool StripHost::SavePreset(AUPresetFile* preset, std::string* error)
{
  CFRef state;
  const OSStatus r = mUnit.SaveState(&state);
  if (r != noErr)
  {
    *error = "cannot read the strip's state " + Status(r);
    return false;
  }
  preset->SetState(state.Get());
  return true;
}

bool StripHost::Apply(const ParamSetting& setting, std::string* error)
{
  const int idx = FindParam(setting.target, error);
  if (idx < 0) return false;
  const AudioUnitParameterID id = (AudioUnitParameterID) idx;

  // A number, as the host's automation sends it (the strip clamps it), or one of the
  // parameter's value strings; the unit reads any other text of a numeric parameter as
  // leniently as atof, so it is not asked about those.
  double number = 0.0;
  bool finite = false;
  const bool parsed = ParseNumber(setting.value, &number, &finite);
  std::vector<std::string> strings;
  const bool hasStrings = mUnit.GetValueStrings(id, &strings) == noErr && !strings.empty();
  AudioUnitParameterValue value = 0.0f;
  OSStatus r = kAudioUnitErr_InvalidPropertyValue;
  if (parsed && finite)
  {
    // Beyond the float range the cast is undefined; either end is beyond every range.
    value = (AudioUnitParameterValue) std::fmax(-FLT_MAX, std::fmin(number, FLT_MAX));
    r = noErr;
  }
  else if (hasStrings)
    r = mUnit.ValueFromString(id, setting.value, &value);
  if (r != noErr)
  {
    *error = "value '" + setting.value + "' for \"" + mNames[(size_t) idx] + "\" is not a " +
             (parsed ? "finite number" : "number");
    if (hasStrings)
    {
      *error += " nor one of";
      for (size_t i = 0; i < strings.size(); ++i)
        *error += std::string(i ? ", " : " ") + "\"" + strings[i] + "\"";
    }
    return false;
  }

  r = mUnit.SetParameter(id, value);
  if (r != noErr)
  {
    *error = "the strip refused " + setting.value + " for \"" + mNames[(size_t) idx] + "\" " + Status(r);
    return false;
  }
  return true;
}

OSStatus StripHost::Process(float* const* inputs, float* const* outputs, int nFrames)
{
  mInputs = inputs;
  for (int c = 0; c < mChannels; ++c) mOutputs.Set(c, outputs[c], (UInt32) nFrames);
  const OSStatus r = mUnit.Render(mOutputs, (UInt32) nFrames, mSampleTime);
  mSampleTime += nFrames;
  mInputs = nullptr;
  return r;
}

OSStatus StripHost::PullInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 bus,
                              UInt32 nFrames, AudioBufferList* data)
{
  StripHost* self = (StripHost*) refCon;
  if (!self || !self->mInputs || bus != 0) return kAudioUnitErr_NoConnection;
  AudioBuffer* buffers = reinterpret_cast<AudioBuffer*>(reinterpret_cast<unsigned char*>(data) +
                                                        offsetof(AudioBufferList, mBuffers));
  for (UInt32 b = 0; b < data->mNumberBuffers && (int) b < self->mChannels; ++b)
  {
    AudioBuffer& buffer = buffers[b];
    if (buffer.mData)
      memcpy(buffer.mData, self->mInputs[b], nFrames * sizeof(float));
    else
      buffer.mData = self->mInputs[b];
    buffer.mDataByteSize = nFrames * (UInt32) sizeof(float);
  }
  return noErr;
}
