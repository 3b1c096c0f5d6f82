#pragma once
// Drives the strip as an Audio Unit host does, through the host library: the component
// opened through its entry, the host's set-up calls in a host's order, parameter changes
// in real units, state from and into .aupreset files, and blocks of single-precision
// channel buffers rendered through the fast-dispatch render entry.

#include "host/AUBufferList.h"
#include "host/AUHostUnit.h"
#include "host/AUPresetFile.h"
#include "tools/ParamSetting.h"

#include <string>
#include <vector>

class StripHost
{
public:
  static constexpr int kMaxChannels = 2;

  StripHost() = default;
  StripHost(const StripHost&) = delete;
  StripHost& operator=(const StripHost&) = delete;

  // Opens the strip and reads the names of its parameters.
  bool Open(std::string* error);
  AUHostUnit& Unit() { return mUnit; }

  // Index of a parameter by host name or index, as ParamSetting's FindParam.
  int FindParam(const std::string& target, std::string* error) const;
  // Whether the strip offers a layout with nChannels inputs and outputs.
  bool SupportsChannels(int nChannels);
  // Refuses an audio file whose channels or rate the strip cannot take, naming the file;
  // `use` completes "only mono and stereo files can be ...".
  bool CheckAudioFormat(const std::string& path, int nChannels, int rate, const char* use,
                        std::string* error);

  // Sample rate, maximum frames, stream formats and the input, then initialisation.
  bool Prepare(double sampleRate, int blockSize, int nChannels, std::string* error);

  // Refuses a preset of another component, naming the file; path only names it.
  bool CheckPreset(const AUPresetFile& preset, const std::string& path, std::string* error);
  bool LoadPreset(const AUPresetFile& preset, const std::string& path, std::string* error);
  bool SavePreset(AUPresetFile* preset, std::string* error);

  // One change as host automation makes it: the value in real units, which the strip
  // clamps into its current range (which earlier changes may have moved), or one of
  // the parameter's value strings.
  bool Apply(const ParamSetting& setting, std::string* error);

  // One block of nFrames <= the block size, one buffer per channel of the layout, at the
  // next sample time. Allocates nothing.
  OSStatus Process(float* const* inputs, float* const* outputs, int nFrames);

private:
  static OSStatus PullInput(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp,
                            UInt32 bus, UInt32 nFrames, AudioBufferList* data);

  AUHostUnit mUnit;
  std::vector<std::string> mNames;
  AUBufferList mOutputs;
  int mChannels = 0;
  float* const* mInputs = nullptr;
  Float64 mSampleTime = 0.0;
};
