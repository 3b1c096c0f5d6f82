#include "tools/StripHost.h"

StripHost::StripHost() : mPlug(MakePlug()) {}

StripHost::~StripHost()
{
  if (mActive) mPlug->OnActivate(false);
}

bool StripHost::Prepare(double sampleRate, int blockSize, int nChannels, std::string* error)
{
  if (!mPlug->LegalIO(nChannels, nChannels))
  {
    *error = "the strip has no layout for " + std::to_string(nChannels) + " channels";
    return false;
  }
  mChannels = nChannels;

  mPlug->SetSampleRate(sampleRate);
  mPlug->Reset();
  mPlug->SetBlockSize(blockSize);
  mPlug->Reset();

  IMutexLock lock(mPlug.get());
  const int n = mPlug->NParams();
  for (int i = 0; i < n; ++i) mPlug->OnParamChange(i);
  mPlug->OnActivate(true);
  mActive = true;
  return true;
}

bool StripHost::Apply(const ParamSetting& setting, std::string* error)
{
  const int idx = FindParam(*mPlug, setting.target, error);
  if (idx < 0) return false;
  IMutexLock lock(mPlug.get());
  IParam* param = mPlug->GetParam(idx);
  double value = 0.0;
  if (!ParseParamValue(*param, setting.value, &value, error)) return false;
  param->Set(value);
  mPlug->OnParamChange(idx);
  return true;
}

void StripHost::Process(float** inputs, float** outputs, int nFrames)
{
  // A mono file runs as a mono host would: only the first input and output connected,
  // so the strip's second input is the base's silent scratch channel.
  const int nIn = mPlug->NInChannels(), nOut = mPlug->NOutChannels();
  mPlug->SetInputChannelConnections(0, mChannels, true);
  mPlug->SetInputChannelConnections(mChannels, nIn - mChannels, false);
  mPlug->AttachInputBuffers(0, nIn, inputs, nFrames);
  mPlug->SetOutputChannelConnections(0, mChannels, true);
  mPlug->SetOutputChannelConnections(mChannels, nOut - mChannels, false);
  mPlug->AttachOutputBuffers(0, nOut, outputs);
  mPlug->ProcessBuffers((float) 0, nFrames);
}
