#include "IPlug/IPlugBase.h"

#include "IPlug/Base64.h"
#include "IPlug/FatalAssert.h"
#include "IPlug/Hosts.h"
#include "IPlug/IGraphics.h"
#include "IPlug/Trace.h"
#include "IPlug/WDL/WDL_String.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                     int mfrID, int latency, bool /*plugDoesMidi*/, bool plugDoesChunks,
                     bool plugIsInst)
  : mUniqueID(uniqueID), mMfrID(mfrID), mVersion(vendorVersion), mStateChunks(plugDoesChunks),
    mIsInst(plugIsInst), mLatency(latency)
{
  Trace(__FUNCTION__, __LINE__, "%s", effectName ? effectName : "");

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);

  CopyBounded(mEffectName, effectName, MAX_EFFECT_NAME_LEN);
  CopyBounded(mProductName, productName, MAX_EFFECT_NAME_LEN);
  CopyBounded(mMfrName, mfrName, MAX_EFFECT_NAME_LEN);

  int nInputs = 0, nOutputs = 0;
  const char* p = channelIOStr;
  FATAL_ASSERT(p != nullptr, "IPlug/IPlugBase");
  while (p && *p)
  {
    int nIn = 0, nOut = 0;
    const bool channelIOStrValid = sscanf(p, "%d-%d", &nIn, &nOut) == 2;
    FATAL_ASSERT(channelIOStrValid, "IPlug/IPlugBase");
    mChannelIO.Add(new ChannelIO{nIn, nOut});
    if (nIn > nInputs) nInputs = nIn;
    if (nOut > nOutputs) nOutputs = nOut;
    p = strchr(p, ' ');
    if (p) ++p;
  }

  mInData.Resize(nInputs);
  mOutData.Resize(nOutputs);
  for (int i = 0; i < nInputs; ++i)
  {
    InChannel* ch = new InChannel;
    ch->mSrc = mInData.Get() + i;
    *ch->mSrc = nullptr;
    mInChannels.Add(ch);
  }
  for (int i = 0; i < nOutputs; ++i)
  {
    OutChannel* ch = new OutChannel;
    ch->mDest = mOutData.Get() + i;
    *ch->mDest = nullptr;
    mOutChannels.Add(ch);
  }
}

IPlugBase::~IPlugBase() { delete mGraphics.load(); }

// ----- hooks -----

void IPlugBase::Reset() { IMutexLock lock(this); }

void IPlugBase::OnParamChange(int) { IMutexLock lock(this); }

void IPlugBase::OnActivate(bool) { IMutexLock lock(this); }

void IPlugBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (nFrames <= 0) return;
  int i = 0;
  for (; i < nIn && i < nOut; ++i)
    if (outputs[i] != inputs[i]) memmove(outputs[i], inputs[i], (size_t) nFrames * sizeof(double));
  for (; i < nOut; ++i) memset(outputs[i], 0, (size_t) nFrames * sizeof(double));
}

void IPlugBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (nFrames <= 0) return;
  int i = 0;
  for (; i < nIn && i < nOut; ++i)
    if (outputs[i] != inputs[i]) memmove(outputs[i], inputs[i], (size_t) nFrames * sizeof(float));
  for (; i < nOut; ++i) memset(outputs[i], 0, (size_t) nFrames * sizeof(float));
}

void IPlugBase::ProcessMidiMsg(IMidiMsg* msg) { SendMidiMsg(msg); }

bool IPlugBase::SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* msgs)
{
  const int n = msgs ? msgs->GetSize() : 0;
  for (int i = 0; i < n; ++i) SendMidiMsg(msgs->Get() + i);
  return true;
}

bool IPlugBase::MidiNoteName(int, char* name)
{
  if (name) *name = 0;
  return false;
}

void IPlugBase::AttachGraphics(IGraphics* graphics)
{
  if (!graphics) return;
  IMutexLock lock(this);
  const int n = NParams();
  for (int i = 0; i < n; ++i) graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  graphics->PrepDraw();
  // The plug-in owns its context; a replaced one would otherwise leak.
  IGraphics* old = mGraphics.exchange(graphics, std::memory_order_acq_rel);
  if (old != graphics) delete old;
}

// ----- channel layouts and connections -----

bool IPlugBase::GetChannelIO(int idx, int* nIn, int* nOut) const
{
  const ChannelIO* io = mChannelIO.Get(idx);
  if (!io) return false;
  if (nIn) *nIn = io->mIn;
  if (nOut) *nOut = io->mOut;
  return true;
}

bool IPlugBase::LegalIO(int nIn, int nOut) const
{
  const int n = mChannelIO.GetSize();
  for (int i = 0; i < n; ++i)
  {
    const ChannelIO* io = mChannelIO.Get(i);
    if ((nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut)) return true;
  }
  return false;
}

bool IPlugBase::IsInChannelConnected(int idx) const
{
  const InChannel* ch = mInChannels.Get(idx);
  return ch && ch->mConnected;
}

bool IPlugBase::IsOutChannelConnected(int idx) const
{
  const OutChannel* ch = mOutChannels.Get(idx);
  return ch && ch->mConnected;
}

void IPlugBase::SetInputChannelConnections(int idx, int n, bool connected)
{
  const int end = idx + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    const bool wasConnected = ch->mConnected;
    ch->mConnected = connected;
    if (connected) continue;
    // The float attach converts into the scratch buffer, so a channel that was connected
    // still holds its last block there; unconnected, it must read silence.
    if (wasConnected && ch->mScratchBuf.GetSize() > 0)
      memset(ch->mScratchBuf.Get(), 0, (size_t) ch->mScratchBuf.GetSize() * sizeof(double));
    *ch->mSrc = ch->mScratchBuf.Get();
  }
}

void IPlugBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  const int end = idx + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    ch->mConnected = connected;
    if (!connected) *ch->mDest = ch->mScratchBuf.Get();
  }
}

// ----- buffer attachment -----

void IPlugBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
  if (nFrames < 0) nFrames = 0;
  if (!EnsureScratch(nFrames)) return;
  const int end = idx + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    if (!ch->mConnected) continue;
    double* dst = ch->mScratchBuf.Get();
    const float* src = ppData ? *ppData++ : nullptr;
    if (src)
      for (int s = 0; s < nFrames; ++s) dst[s] = (double) src[s];
    else if (nFrames > 0)
      memset(dst, 0, (size_t) nFrames * sizeof(double));
    *ch->mSrc = dst;
  }
}

void IPlugBase::AttachInputBuffers(int idx, int n, double** ppData, int)
{
  const int end = idx + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    if (!ch->mConnected) continue;
    double* src = ppData ? *ppData++ : nullptr;
    *ch->mSrc = src ? src : ch->mScratchBuf.Get();
  }
}

void IPlugBase::AttachOutputBuffers(int idx, int n, float** ppData)
{
  const int end = idx + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected) continue;
    *ch->mDest = ch->mScratchBuf.Get();
    ch->mFDest = ppData ? *ppData++ : nullptr;
  }
}

void IPlugBase::AttachOutputBuffers(int idx, int n, double** ppData)
{
  const int end = idx + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected) continue;
    double* dst = ppData ? *ppData++ : nullptr;
    *ch->mDest = dst ? dst : ch->mScratchBuf.Get();
    ch->mFDest = nullptr;
  }
}

// ----- process entries -----

void IPlugBase::ConvertOutputs(int nFrames, bool accumulate)
{
  const int nOut = NOutChannels();
  for (int i = 0; i < nOut; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected || !ch->mFDest) continue;
    const double* src = *ch->mDest;
    float* dst = ch->mFDest;
    if (!src || nFrames <= 0) continue;
    if (accumulate)
      for (int s = 0; s < nFrames; ++s) dst[s] += (float) src[s];
    else
      for (int s = 0; s < nFrames; ++s) dst[s] = (float) src[s];
  }
}

void IPlugBase::ProcessBuffers(float, int nFrames)
{
  if (nFrames < 0) return;
  if (!EnsureScratch(nFrames)) return;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, false);
}

void IPlugBase::ProcessBuffers(double, int nFrames)
{
  if (nFrames < 0) return;
  if (!EnsureScratch(nFrames)) return;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IPlugBase::ProcessBuffersAccumulating(float, int nFrames)
{
  if (nFrames < 0) return;
  if (!EnsureScratch(nFrames)) return;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, true);
}

void IPlugBase::CopyThrough(int nFrames)
{
  const int nIn = NInChannels(), nOut = NOutChannels();
  double** in = mInData.Get();
  double** out = mOutData.Get();
  if (nFrames <= 0) return;
  int i = 0;
  for (; i < nIn && i < nOut; ++i)
  {
    if (out[i] != in[i]) memmove(out[i], in[i], (size_t) nFrames * sizeof(double));
    // Bypassed too, the host gets no NaN or infinity back: such input leaves as silence.
    for (int s = 0; s < nFrames; ++s)
      if (!std::isfinite(out[i][s])) out[i][s] = 0.0;
  }
  for (; i < nOut; ++i) memset(out[i], 0, (size_t) nFrames * sizeof(double));
}

void IPlugBase::PassThroughBuffers(float, int nFrames)
{
  if (nFrames < 0) return;
  if (!EnsureScratch(nFrames)) return;
  CopyThrough(nFrames);
  ConvertOutputs(nFrames, false);
}

void IPlugBase::PassThroughBuffers(double, int nFrames)
{
  if (nFrames < 0) return;
  if (!EnsureScratch(nFrames)) return;
  CopyThrough(nFrames);
}

// ----- rates and sizes -----

bool IPlugBase::ResizeScratch(int blockSize)
{
  // A channel whose entry designates its scratch buffer (unconnected, or attached
  // through the float forms) must follow the buffer when it moves.
  bool ok = true;
  auto resize = [&](WDL_TypedBuf<double>& buf, double** entry, bool designated) {
    double* p = buf.Resize(blockSize);
    if (p)
      memset(p, 0, (size_t) blockSize * sizeof(double));
    else if (blockSize > 0)
      ok = false;
    if (designated) *entry = buf.Get();
  };
  for (int i = 0; i < NInChannels(); ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    resize(ch->mScratchBuf, ch->mSrc, !ch->mConnected || *ch->mSrc == ch->mScratchBuf.Get());
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    resize(ch->mScratchBuf, ch->mDest, !ch->mConnected || *ch->mDest == ch->mScratchBuf.Get());
  }
  // Out of memory: the buffers keep their old sizes, so claim only what all of them hold.
  if (!ok)
  {
    int held = blockSize;
    for (int i = 0; i < NInChannels(); ++i)
      if (mInChannels.Get(i)->mScratchBuf.GetSize() < held) held = mInChannels.Get(i)->mScratchBuf.GetSize();
    for (int i = 0; i < NOutChannels(); ++i)
      if (mOutChannels.Get(i)->mScratchBuf.GetSize() < held) held = mOutChannels.Get(i)->mScratchBuf.GetSize();
    blockSize = held;
  }
  mBlockSize = blockSize;
  return ok;
}

bool IPlugBase::EnsureScratch(int nFrames)
{
  // Hosts must not render more than the block size; if one does, grow the scratch
  // buffers rather than convert past their end, and refuse the block if they cannot grow.
  if (nFrames <= mBlockSize) return true;
  Trace(__FUNCTION__, __LINE__, "block of %d frames exceeds block size %d", nFrames, mBlockSize);
  ResizeScratch(nFrames);
  return nFrames <= mBlockSize;
}

void IPlugBase::SetBlockSize(int blockSize)
{
  // The scratch buffers move: no block may be using them.
  IRenderGate::Reinit hold(&mRenderGate);
  if (blockSize < 0) blockSize = 0;
  if (blockSize != mBlockSize) ResizeScratch(blockSize);
}

void IPlugBase::SetLatency(int samples) { mLatency = samples; }

double IPlugBase::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

// ----- versions -----

int IPlugBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IPlugBase::GetEffectVersionStr(char* out) const { GetVersionStr(mVersion, out); }

int IPlugBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPlugBase::GetHostVersionStr(char* out) { GetVersionStr(GetHostVersion(false), out); }

void IPlugBase::SetHost(const char* name, int version) { SetHostIdentity(LookUpHost(name), version); }

// ----- parameter traffic -----

void IPlugBase::SetParameterFromGUI(int idx, double normalizedValue)
{
  IMutexLock lock(this);
  IParam* param = GetParam(idx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(idx, normalizedValue);
  OnParamChange(idx);
}

void IPlugBase::RedrawParamControls()
{
  IGraphics* graphics = GetGUI();
  if (!graphics) return;
  const int n = NParams();
  for (int i = 0; i < n; ++i) graphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IPlugBase::DirtyParameters()
{
  IMutexLock lock(this);
  const int n = NParams();
  for (int i = 0; i < n; ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

void IPlugBase::OnParamReset()
{
  IMutexLock lock(this);
  const int n = NParams();
  for (int i = 0; i < n; ++i) OnParamChange(i);
}

// ----- state chunk -----

bool IPlugBase::SerializeState(ByteChunk* chunk)
{
  IMutexLock lock(this);
  return SerializeParams(chunk);
}

int IPlugBase::UnserializeState(const ByteChunk* chunk, int startPos)
{
  IMutexLock lock(this);
  return UnserializeParams(chunk, startPos);
}

bool IPlugBase::SerializeParams(ByteChunk* chunk)
{
  IMutexLock lock(this);
  if (!chunk) return false;
  bool ok = true;
  const int n = NParams();
  for (int i = 0; i < n && ok; ++i)
  {
    const double v = GetParam(i)->GetNormalized();
    ok = chunk->Put(&v) > 0;
  }
  return ok;
}

int IPlugBase::UnserializeParams(const ByteChunk* chunk, int startPos)
{
  IMutexLock lock(this);
  int pos = chunk && startPos >= 0 ? startPos : -1;
  const int n = NParams();
  for (int i = 0; i < n && pos >= 0; ++i)
  {
    double v = 0.0;
    pos = chunk->Get(&v, pos);
    // A value that is not there leaves its parameter alone. A stored value outside
    // 0..1 can only come from a damaged chunk; it is held to the range, and a NaN
    // is skipped, so that no parameter leaves its range.
    if (pos < 0 || v != v) continue;
    if (v < 0.0) v = 0.0;
    if (v > 1.0) v = 1.0;
    GetParam(i)->SetNormalized(v);
  }
  OnParamReset();
  return pos;
}

// ----- presets -----

namespace
{
bool TakesIntArg(const IParam* param)
{
  switch (param->Type())
  {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return true;
    default: return false;
  }
}
} // namespace

bool IPlugBase::RestorePreset(int idx)
{
  IMutexLock lock(this);
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;

  bool restored;
  if (!preset->mInitialized)
  {
    char name[MAX_PRESET_NAME_LEN];
    MakeDefaultUserPresetName(&mPresets, name);
    preset->mInitialized = true;
    preset->SetName(name);
    // The entry may still hold bytes from an earlier life; they must not precede the
    // values captured now.
    preset->mChunk.Clear();
    restored = SerializeParams(&preset->mChunk);
  }
  else
  {
    restored = UnserializeParams(&preset->mChunk, 0) > 0;
  }

  if (restored)
  {
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
  }
  Trace(__FUNCTION__, __LINE__, "%d %s", idx, restored ? "restored" : "failed");
  return restored;
}

bool IPlugBase::RestorePreset(const char* name)
{
  if (!name || !*name) return false;
  IMutexLock lock(this);
  const int n = NPresets();
  for (int i = 0; i < n; ++i)
    if (!strcmp(mPresets.Get(i)->mName, name)) return RestorePreset(i);
  return false;
}

const char* IPlugBase::GetPresetName(int idx) const
{
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IPlugBase::ModifyCurrentPreset(const char* name)
{
  IMutexLock lock(this);
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  SerializeParams(&preset->mChunk);
  if (name && *name) preset->SetName(name);
}

void IPlugBase::PruneUninitializedPresets()
{
  IMutexLock lock(this);
  for (int i = NPresets() - 1; i >= 0; --i)
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
}

bool IPlugBase::SerializePresets(ByteChunk* chunk)
{
  IMutexLock lock(this);
  if (!chunk) return false;
  bool ok = true;
  const int n = NPresets();
  for (int i = 0; i < n && ok; ++i)
  {
    const IPreset* preset = mPresets.Get(i);
    ok = chunk->PutStr(preset->mName) > 0 && chunk->PutBool(preset->mInitialized) > 0;
    // No length precedes the chunk: the reader knows the size of a parameter state chunk.
    if (ok && preset->mInitialized) ok = chunk->PutChunk(&preset->mChunk) > 0;
  }
  return ok;
}

int IPlugBase::UnserializePresets(const ByteChunk* chunk, int startPos)
{
  IMutexLock lock(this);
  // One name buffer for all entries: an entry whose name cannot be read takes the
  // name read before it.
  WDL_String name;
  int pos = chunk && startPos >= 0 ? startPos : -1;
  const int n = NPresets();
  for (int i = 0; i < n && pos >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    pos = chunk->GetStr(&name, pos);
    preset->SetName(name.Get());
    bool initialized = false;
    pos = chunk->GetBool(&initialized, pos);
    if (pos >= 0) preset->mInitialized = initialized;
    if (preset->mInitialized)
    {
      pos = UnserializeParams(chunk, pos);
      if (pos > 0)
      {
        preset->mChunk.Clear();
        SerializeParams(&preset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

void IPlugBase::MakeDefaultPreset(const char* name, int n)
{
  IMutexLock lock(this);
  for (int i = 0; i < n; ++i)
  {
    IPreset* preset = GetNextUninitializedPreset(&mPresets);
    if (!preset) return;
    preset->mInitialized = true;
    preset->SetName(name ? name : "Empty");
    preset->mChunk.Clear();
    SerializeParams(&preset->mChunk);
  }
}

void IPlugBase::EnsureDefaultPreset() { MakeDefaultPreset("Empty", NPresets()); }

void IPlugBase::MakePreset(const char* name, ...)
{
  IMutexLock lock(this);
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.Clear();

  va_list args;
  va_start(args, name);
  const int n = NParams();
  for (int i = 0; i < n; ++i)
  {
    const IParam* param = GetParam(i);
    const double v = TakesIntArg(param) ? (double) va_arg(args, int) : va_arg(args, double);
    const double normalized = param->GetNormalized(v);
    preset->mChunk.Put(&normalized);
  }
  va_end(args);
}

void IPlugBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IMutexLock lock(this);
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;

  const int n = NParams();
  WDL_TypedBuf<double> values;
  WDL_TypedBuf<unsigned char> named;
  if (n > 0 && (!values.Resize(n) || !named.Resize(n))) return;
  if (n > 0) memset(named.Get(), 0, (size_t) n);

  va_list args;
  va_start(args, nParamsNamed);
  for (int k = 0; k < nParamsNamed; ++k)
  {
    const int idx = va_arg(args, int);
    const IParam* param = GetParam(idx);
    // Without the parameter the type of its value is unknown, so nothing after it
    // can be read either.
    if (!param) break;
    values.Get()[idx] = TakesIntArg(param) ? (double) va_arg(args, int) : va_arg(args, double);
    named.Get()[idx] = 1;
  }
  va_end(args);

  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.Clear();
  for (int i = 0; i < n; ++i)
  {
    const IParam* param = GetParam(i);
    const double normalized = named.Get()[i] ? param->GetNormalized(values.Get()[i])
                                             : param->GetNormalized();
    preset->mChunk.Put(&normalized);
  }
}

void IPlugBase::MakePresetFromChunk(const char* name, const ByteChunk* chunk)
{
  IMutexLock lock(this);
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.Clear();
  preset->mChunk.PutChunk(chunk);
}

void IPlugBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  if (sizeOfChunk < 0) sizeOfChunk = 0;
  ByteChunk chunk;
  if (chunk.Resize(sizeOfChunk) != sizeOfChunk) return;
  Base64Decode(blob, chunk.GetData(), sizeOfChunk);
  MakePresetFromChunk(name, &chunk);
}

bool IPlugBase::DumpPresetSrcCode(const char* filename, const char* const* paramEnumNames)
{
  if (!filename || !paramEnumNames) return false;
  IMutexLock lock(this);
  FILE* fp = fopen(filename, "w");
  if (!fp) return false;
  const int n = NParams();
  fprintf(fp, "  MakePresetFromNamedParams(\"name\", %d", n);
  for (int i = 0; i < n; ++i)
  {
    const IParam* param = GetParam(i);
    const char* enumName = paramEnumNames[i] ? paramEnumNames[i] : "";
    switch (param->Type())
    {
      case IParam::kTypeBool:
        fprintf(fp, ",\n    %s, %s", enumName, param->Bool() ? "true" : "false");
        break;
      case IParam::kTypeInt:
      case IParam::kTypeEnum: fprintf(fp, ",\n    %s, %d", enumName, param->Int()); break;
      default: fprintf(fp, ",\n    %s, %.6f", enumName, param->Value()); break;
    }
  }
  fprintf(fp, ");\n");
  const bool written = !ferror(fp);
  return fclose(fp) == 0 && written;
}

bool IPlugBase::DumpPresetBlob(const char* filename)
{
  if (!filename) return false;
  IMutexLock lock(this);
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return false;
  WDL_String blob;
  Base64Encode(preset->mChunk.GetData(), preset->mChunk.Size(), &blob);
  FILE* fp = fopen(filename, "w");
  if (!fp) return false;
  fprintf(fp, "MakePresetFromBlob(\"name\", \"");
  fprintf(fp, "%s\", %i);\n", blob.Get(), preset->mChunk.Size());
  const bool written = !ferror(fp);
  return fclose(fp) == 0 && written;
}
