#pragma once
// The plug-in base as an LV2 plug-in: the descriptors of a bundle's plug-ins, ports,
// the block run with its parameter changes and meters, and the state interface that
// carries the parameter state chunk.
//
// Nothing the host calls throws. run allocates nothing and takes no lock; save may run
// beside it and reads the parameters through a snapshot the audio thread publishes.

#include "IPlug/IPlugBase.h"
#include "IPlug/IPlugInstanceInfo.h"
#include "IPlug/IPlugLV2Bundle.h"
#include "IPlug/LV2PortScale.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <memory>

class IPlugLV2 : public IPlugBase
{
public:
  // The arguments of the other adapters, so one plug-in class builds on either; the
  // instance information and side-chain channels mean nothing to an LV2 host.
  IPlugLV2(const IPlugInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
           const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
           int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
           int plugScChans = 0);
  ~IPlugLV2() override;

  // The descriptor of the bundle's plug-in at index, or null past the last one. A binary
  // holds one bundle; the first call fixes it.
  static const LV2_Descriptor* Descriptor(uint32_t index, const IPlugLV2Bundle& bundle);

  // Longest piece run hands the plug-in when the host names no maximum block length.
  static constexpr int kDefaultMaxBlock = 8192;
  // Longest piece the adapter allocates for, whatever maximum the host names.
  static constexpr int kLargestMaxBlock = 65536;

  // The plug-in this instance was instantiated as.
  const IPlugLV2Plugin* GetLV2Plugin() const { return mPlugin; }

private:
  static LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char* bundlePath,
                                const LV2_Feature* const* features);
  static void ConnectPort(LV2_Handle instance, uint32_t port, void* data);
  static void Activate(LV2_Handle instance);
  static void Run(LV2_Handle instance, uint32_t nFrames);
  static void Deactivate(LV2_Handle instance);
  static void Cleanup(LV2_Handle instance);
  static const void* ExtensionData(const char* uri);
  static LV2_State_Status Save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                               uint32_t flags, const LV2_Feature* const* features);
  static LV2_State_Status Restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                                  LV2_State_Handle handle, uint32_t flags, const LV2_Feature* const* features);

  bool Setup(const IPlugLV2Bundle* bundle, const IPlugLV2Plugin* plugin, double rate,
             const LV2_Feature* const* features);
  void ApplyControls();
  // A new port value reaches the parameter the way host automation does: clamped into
  // range, stored, then OnParamChange.
  void ApplyControl(int paramIdx, float value);
  // The value a control port holds for the parameter's current setting.
  float PortValue(int paramIdx) const;
  void ProcessPieces(int nFrames);
  void PublishParams();
  void ReadParams(double* normalized) const;
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  const IPlugLV2Bundle* mBundle = nullptr;
  const IPlugLV2Plugin* mPlugin = nullptr;
  IPlugLV2Ports mPorts = {0, 0, 0};
  int mMaxPiece = kDefaultMaxBlock;

  // Port buffers as the host connected them; null until connected.
  std::unique_ptr<float*[]> mAudioIn, mAudioOut, mControlIn, mMeterOut;
  float* mLatencyOut = nullptr;

  std::unique_ptr<float[]> mLastControl; // each control port's value as last applied
  std::unique_ptr<LV2PortScale[]> mPortScale; // the ports' ranges at construction
  std::unique_ptr<float[]> mMeterValues, mPieceMeters;

  // The parameters' normalised values as of the last block, for a save beside run:
  // a sequence count, odd while the audio thread rewrites them.
  std::unique_ptr<std::atomic<double>[]> mPublished;
  std::atomic<unsigned> mPublishSeq{0};

  LV2_URID_Map* mMap = nullptr;
  LV2_URID mAtomChunk = 0, mAtomInt = 0, mStateKey = 0, mStateVersionKey = 0;
};
