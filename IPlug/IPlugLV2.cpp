#include "IPlug/IPlugLV2.h"

#include "IPlug/SampleRates.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

namespace
{
constexpr int kMaxPlugins = 8;

// The bundle this binary serves and one descriptor per plug-in, fixed by the first
// Descriptor call.
struct Registry
{
  const IPlugLV2Bundle* bundle = nullptr;
  LV2_Descriptor descriptors[kMaxPlugins] = {};
  int nDescriptors = 0;
};
Registry gRegistry;
std::once_flag gRegistryOnce;

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if ((*f)->URI && !strcmp((*f)->URI, uri)) return (*f)->data;
  return nullptr;
}

// The host's maximum block length, or 0 when it names none.
int MaxBlockLength(const LV2_Options_Option* options, LV2_URID_Map* map)
{
  if (!options || !map) return 0;
  const LV2_URID key = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID atomInt = map->map(map->handle, LV2_ATOM__Int);
  for (const LV2_Options_Option* o = options; o->key; ++o)
  {
    if (o->key != key || o->type != atomInt || o->size != sizeof(int32_t) || !o->value) continue;
    int32_t n;
    memcpy(&n, o->value, sizeof n);
    return n > 0 ? n : 0;
  }
  return 0;
}

constexpr uint32_t kStateFlags =
    LV2_STATE_IS_POD
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // The chunk is in the machine's byte order; little-endian is what every reader expects.
    | LV2_STATE_IS_PORTABLE
#endif
    ;
} // namespace

IPlugLV2::IPlugLV2(const IPlugInstanceInfo&, int nParams, const char* channelIOStr, int nPresets,
                   const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                   int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                   int)
  : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID,
              mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst)
{
}

IPlugLV2::~IPlugLV2() = default;

const LV2_Descriptor* IPlugLV2::Descriptor(uint32_t index, const IPlugLV2Bundle& bundle)
{
  std::call_once(gRegistryOnce, [&bundle] {
    gRegistry.bundle = &bundle;
    const int n = bundle.nPlugins < kMaxPlugins ? bundle.nPlugins : kMaxPlugins;
    for (int i = 0; i < n; ++i)
      gRegistry.descriptors[i] = {bundle.plugins[i].uri, Instantiate, ConnectPort, Activate, Run,
                                  Deactivate,             Cleanup,     ExtensionData};
    gRegistry.nDescriptors = n;
  });
  return index < (uint32_t) gRegistry.nDescriptors ? &gRegistry.descriptors[index] : nullptr;
}

// ----- instantiation -----

LV2_Handle IPlugLV2::Instantiate(const LV2_Descriptor* descriptor, double rate, const char*,
                                 const LV2_Feature* const* features)
{
  if (!IsSupportedSampleRate(rate)) return nullptr;
  const Registry& r = gRegistry;
  if (!descriptor || !r.bundle || descriptor < r.descriptors || descriptor >= r.descriptors + r.nDescriptors)
    return nullptr;
  const IPlugLV2Plugin* plugin = &r.bundle->plugins[descriptor - r.descriptors];
  IPlugLV2* plug = nullptr;
  try
  {
    plug = r.bundle->makePlug();
    if (plug && plug->Setup(r.bundle, plugin, rate, features)) return plug;
  }
  catch (...)
  {
  }
  delete plug;
  return nullptr;
}

bool IPlugLV2::Setup(const IPlugLV2Bundle* bundle, const IPlugLV2Plugin* plugin, double rate,
                     const LV2_Feature* const* features)
{
  const int nCh = plugin->nChannels;
  if (nCh < 1 || nCh > NInChannels() || nCh > NOutChannels() || !LegalIO(nCh, nCh)) return false;
  mBundle = bundle;
  mPlugin = plugin;
  const int nParams = NParams();
  const int nMeters = plugin->nMeters > 0 ? plugin->nMeters : 0;
  mPorts = {nCh, nParams, nMeters};

  mAudioIn.reset(new float*[nCh]());
  mAudioOut.reset(new float*[nCh]());
  mControlIn.reset(new float*[nParams]());
  mMeterOut.reset(new float*[nMeters]());
  mLastControl.reset(new float[nParams]);
  mPortScale.reset(new LV2PortScale[nParams]);
  mMeterValues.reset(new float[nMeters]());
  mPieceMeters.reset(new float[nMeters]());
  mPublished.reset(new std::atomic<double>[nParams]);

  mMap = (LV2_URID_Map*) FindFeature(features, LV2_URID__map);
  if (mMap)
  {
    mAtomChunk = mMap->map(mMap->handle, LV2_ATOM__Chunk);
    mAtomInt = mMap->map(mMap->handle, LV2_ATOM__Int);
    mStateKey = mMap->map(mMap->handle, bundle->stateKey);
    mStateVersionKey = mMap->map(mMap->handle, bundle->stateVersionKey);
  }
  const int hostMax =
      MaxBlockLength((const LV2_Options_Option*) FindFeature(features, LV2_OPTIONS__options), mMap);
  mMaxPiece = hostMax <= 0 ? kDefaultMaxBlock : hostMax < kLargestMaxBlock ? hostMax : kLargestMaxBlock;

  // The host connects as many channels as the plug-in has ports; the strip's others read
  // silence and write into scratch.
  SetInputChannelConnections(0, nCh, true);
  SetInputChannelConnections(nCh, NInChannels() - nCh, false);
  SetOutputChannelConnections(0, nCh, true);
  SetOutputChannelConnections(nCh, NOutChannels() - nCh, false);
  SetSampleRate(rate);
  SetBlockSize(mMaxPiece);
  if (GetBlockSize() < mMaxPiece) return false;

  for (int i = 0; i < nParams; ++i)
  {
    const IParam* p = GetParam(i);
    mPortScale[i] = LV2PortScale::Of(*p);
    // Ports still at the parameter defaults change nothing on the first block.
    mLastControl[i] = (float) p->Value();
  }

  // As a host initialises the Audio Unit: reset, then every parameter to the engine.
  Reset();
  OnParamReset();
  PublishParams();
  return true;
}

void IPlugLV2::ConnectPort(LV2_Handle instance, uint32_t port, void* data)
{
  IPlugLV2* plug = (IPlugLV2*) instance;
  if (!plug || port > (uint32_t) INT_MAX) return;
  const IPlugLV2Ports& p = plug->mPorts;
  const int idx = (int) port;
  float* buf = (float*) data;
  if (idx < p.AudioOut(0))
    plug->mAudioIn[idx] = buf;
  else if (idx < p.Control(0))
    plug->mAudioOut[idx - p.AudioOut(0)] = buf;
  else if (idx < p.Meter(0))
    plug->mControlIn[idx - p.Control(0)] = buf;
  else if (idx < p.Latency())
    plug->mMeterOut[idx - p.Meter(0)] = buf;
  else if (idx == p.Latency())
    plug->mLatencyOut = buf;
}

void IPlugLV2::Activate(LV2_Handle instance)
{
  IPlugLV2* plug = (IPlugLV2*) instance;
  if (!plug) return;
  try
  {
    plug->Reset();
    plug->OnActivate(true);
  }
  catch (...)
  {
  }
}

void IPlugLV2::Deactivate(LV2_Handle instance)
{
  IPlugLV2* plug = (IPlugLV2*) instance;
  if (!plug) return;
  try
  {
    plug->OnActivate(false);
  }
  catch (...)
  {
  }
}

void IPlugLV2::Cleanup(LV2_Handle instance) { delete (IPlugLV2*) instance; }

const void* IPlugLV2::ExtensionData(const char* uri)
{
  static const LV2_State_Interface state = {Save, Restore};
  if (uri && !strcmp(uri, LV2_STATE__interface)) return &state;
  return nullptr;
}

// ----- the block -----

void IPlugLV2::Run(LV2_Handle instance, uint32_t nFrames)
{
  IPlugLV2* plug = (IPlugLV2*) instance;
  if (!plug) return;
  try
  {
    plug->ApplyControls();
    plug->ProcessPieces(nFrames > (uint32_t) INT_MAX ? INT_MAX : (int) nFrames);
  }
  catch (...)
  {
  }
}

void IPlugLV2::ApplyControls()
{
  bool changed = false;
  for (int i = 0; i < mPorts.nParams; ++i)
  {
    const float* port = mControlIn[i];
    if (!port) continue;
    const float v = *port;
    // A NaN is no value; the parameter keeps the last one.
    if (v != v || v == mLastControl[i]) continue;
    mLastControl[i] = v;
    ApplyControl(i, v);
    changed = true;
  }
  if (changed) PublishParams();
}

void IPlugLV2::ApplyControl(int paramIdx, float value)
{
  IParam* p = GetParam(paramIdx);
  if (!p) return;
  mPortScale[paramIdx].Apply(p, value);
  OnParamChange(paramIdx);
}

float IPlugLV2::PortValue(int paramIdx) const { return mPortScale[paramIdx].PortValue(*GetParam(paramIdx)); }

void IPlugLV2::ProcessPieces(int nFrames)
{
  // Blocks longer than the scratch buffers hold run as successive pieces; a block of 0
  // frames still runs once, so the meters read 0.
  const int nCh = mPorts.nChannels, nMeters = mPorts.nMeters;
  int done = 0;
  do
  {
    const int n = nFrames - done < mMaxPiece ? nFrames - done : mMaxPiece;
    for (int c = 0; c < nCh; ++c)
    {
      float* in = mAudioIn[c] ? mAudioIn[c] + done : nullptr;
      float* out = mAudioOut[c] ? mAudioOut[c] + done : nullptr;
      AttachInputBuffers(c, 1, &in, n);
      AttachOutputBuffers(c, 1, &out);
    }
    ProcessBuffers(0.0f, n);
    if (mPlugin->readMeters && nMeters > 0)
    {
      float* piece = done == 0 ? mMeterValues.get() : mPieceMeters.get();
      mPlugin->readMeters(this, piece);
      if (done > 0)
        for (int m = 0; m < nMeters; ++m)
        {
          const bool lower = piece[m] < mMeterValues[m];
          if (lower == mPlugin->meters[m].lowestOverPieces) mMeterValues[m] = piece[m];
        }
    }
    done += n;
  } while (done < nFrames);

  for (int m = 0; m < nMeters; ++m)
    if (float* port = mMeterOut[m]) *port = mMeterValues[m];
  if (mLatencyOut) *mLatencyOut = (float) GetLatency();
}

// ----- state -----

void IPlugLV2::PublishParams()
{
  const unsigned seq = mPublishSeq.load(std::memory_order_relaxed);
  mPublishSeq.store(seq + 1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  for (int i = 0; i < mPorts.nParams; ++i)
    mPublished[i].store(GetParam(i)->GetNormalized(), std::memory_order_relaxed);
  mPublishSeq.store(seq + 2, std::memory_order_release);
}

void IPlugLV2::ReadParams(double* normalized) const
{
  for (;;)
  {
    const unsigned seq = mPublishSeq.load(std::memory_order_acquire);
    if (seq & 1)
    {
      std::this_thread::yield();
      continue;
    }
    for (int i = 0; i < mPorts.nParams; ++i) normalized[i] = mPublished[i].load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (mPublishSeq.load(std::memory_order_relaxed) == seq) return;
  }
}

LV2_State_Status IPlugLV2::Save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                                uint32_t, const LV2_Feature* const*)
{
  IPlugLV2* plug = (IPlugLV2*) instance;
  if (!plug || !store) return LV2_STATE_ERR_UNKNOWN;
  try
  {
    return plug->SaveState(store, handle);
  }
  catch (...)
  {
    return LV2_STATE_ERR_NO_SPACE;
  }
}

LV2_State_Status IPlugLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle)
{
  if (!mMap) return LV2_STATE_ERR_NO_FEATURE;
  // The parameter state chunk, as SerializeParams writes it, from the values the audio
  // thread last published.
  const int n = mPorts.nParams;
  std::unique_ptr<double[]> values(new double[n]);
  ReadParams(values.get());
  ByteChunk chunk;
  for (int i = 0; i < n; ++i)
    if (!chunk.Put(&values[i])) return LV2_STATE_ERR_NO_SPACE;
  const int32_t version = mBundle->stateVersion;
  LV2_State_Status st = store(handle, mStateVersionKey, &version, sizeof version, mAtomInt, kStateFlags);
  if (st != LV2_STATE_SUCCESS) return st;
  return store(handle, mStateKey, chunk.GetData(), (size_t) chunk.Size(), mAtomChunk, kStateFlags);
}

LV2_State_Status IPlugLV2::Restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                                   LV2_State_Handle handle, uint32_t, const LV2_Feature* const*)
{
  IPlugLV2* plug = (IPlugLV2*) instance;
  if (!plug || !retrieve) return LV2_STATE_ERR_UNKNOWN;
  try
  {
    return plug->RestoreState(retrieve, handle);
  }
  catch (...)
  {
    return LV2_STATE_ERR_NO_SPACE;
  }
}

LV2_State_Status IPlugLV2::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
  if (!mMap) return LV2_STATE_ERR_NO_FEATURE;
  // Everything is checked before anything is applied: a refused state changes nothing.
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* version = retrieve(handle, mStateVersionKey, &size, &type, &flags);
  if (!version) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mAtomInt || size != sizeof(int32_t)) return LV2_STATE_ERR_BAD_TYPE;
  int32_t v;
  memcpy(&v, version, sizeof v);
  if (v != mBundle->stateVersion) return LV2_STATE_ERR_UNKNOWN;

  const void* data = retrieve(handle, mStateKey, &size, &type, &flags);
  if (!data) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mAtomChunk) return LV2_STATE_ERR_BAD_TYPE;
  const int n = mPorts.nParams;
  if (size != (size_t) n * sizeof(double)) return LV2_STATE_ERR_UNKNOWN;
  for (int i = 0; i < n; ++i)
  {
    double x;
    memcpy(&x, (const unsigned char*) data + (size_t) i * sizeof x, sizeof x);
    if (!(x >= 0.0 && x <= 1.0)) return LV2_STATE_ERR_UNKNOWN;
  }
  ByteChunk chunk;
  if (chunk.PutBytes(data, (int) size) != (int) size) return LV2_STATE_ERR_NO_SPACE;
  // The host calls restore apart from run, so the values go straight to the engine.
  UnserializeState(&chunk, 0);
  // The host's controls remain what it shows and automates: a port that holds the
  // restored value (as a host restoring its port values sets it) keeps the chunk's exact
  // value; one that holds another value takes over at the next block.
  for (int i = 0; i < n; ++i) mLastControl[i] = PortValue(i);
  PublishParams();
  return LV2_STATE_SUCCESS;
}
