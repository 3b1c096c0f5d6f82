#include "IPlug/IPlugBase.h"

#include "IPlug/FatalAssert.h"
#include "IPlug/IGraphics.h"
#include "IPlug/Trace.h"

#include <cstdio>
#include <cstring>

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                     int mfrID, int latency, bool /*plugDoesMidi*/, bool plugDoesChunks,
                     bool plugIsInst)
  : mUniqueID(uniqueID), mMfrID(mfrID), mVersion(vendorVersion), mStateChunks(plugDoesChunks),
    mIsInst(plugIsInst), mLatency(latency), mNPresets(nPresets > 0 ? nPresets : 0)
{
  Trace(__FUNCTION__, __LINE__, "%s", effectName ? effectName : "");

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);

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

IPlugBase::~IPlugBase() { delete mGraphics; }

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
  mGraphics = graphics;
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
    ch->mConnected = connected;
    if (!connected) *ch->mSrc = ch->mScratchBuf.Get();
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
  EnsureScratch(nFrames);
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
  EnsureScratch(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, false);
}

void IPlugBase::ProcessBuffers(double, int nFrames)
{
  if (nFrames < 0) return;
  EnsureScratch(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IPlugBase::ProcessBuffersAccumulating(float, int nFrames)
{
  if (nFrames < 0) return;
  EnsureScratch(nFrames);
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
    if (out[i] != in[i]) memmove(out[i], in[i], (size_t) nFrames * sizeof(double));
  for (; i < nOut; ++i) memset(out[i], 0, (size_t) nFrames * sizeof(double));
}

void IPlugBase::PassThroughBuffers(float, int nFrames)
{
  if (nFrames < 0) return;
  EnsureScratch(nFrames);
  CopyThrough(nFrames);
  ConvertOutputs(nFrames, false);
}

void IPlugBase::PassThroughBuffers(double, int nFrames)
{
  if (nFrames < 0) return;
  EnsureScratch(nFrames);
  CopyThrough(nFrames);
}

// ----- rates and sizes -----

void IPlugBase::ResizeScratch(int blockSize)
{
  // A channel whose entry designates its scratch buffer (unconnected, or attached
  // through the float forms) must follow the buffer when it moves.
  const int nIn = NInChannels(), nOut = NOutChannels();
  for (int i = 0; i < nIn; ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    const bool designated = !ch->mConnected || *ch->mSrc == ch->mScratchBuf.Get();
    double* buf = ch->mScratchBuf.Resize(blockSize);
    if (buf) memset(buf, 0, (size_t) blockSize * sizeof(double));
    if (designated) *ch->mSrc = ch->mScratchBuf.Get();
  }
  for (int i = 0; i < nOut; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    const bool designated = !ch->mConnected || *ch->mDest == ch->mScratchBuf.Get();
    double* buf = ch->mScratchBuf.Resize(blockSize);
    if (buf) memset(buf, 0, (size_t) blockSize * sizeof(double));
    if (designated) *ch->mDest = ch->mScratchBuf.Get();
  }
  mBlockSize = blockSize;
}

void IPlugBase::EnsureScratch(int nFrames)
{
  // Hosts must not render more than the block size; if one does, grow the scratch
  // buffers rather than convert past their end.
  if (nFrames > mBlockSize)
  {
    Trace(__FUNCTION__, __LINE__, "block of %d frames exceeds block size %d", nFrames, mBlockSize);
    ResizeScratch(nFrames);
  }
}

void IPlugBase::SetBlockSize(int blockSize)
{
  if (blockSize < 0) blockSize = 0;
  if (blockSize != mBlockSize) ResizeScratch(blockSize);
}

void IPlugBase::SetLatency(int samples) { mLatency = samples; }

double IPlugBase::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}
