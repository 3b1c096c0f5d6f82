// IPlugBase: program and bank files.

#include "IPlug/IPlugBase.h"

#include "IPlug/FXImage.h"
#include "IPlug/FileImage.h"
#include "IPlug/IGraphics.h"
#include "IPlug/Trace.h"

namespace
{
// A stored value as a parameter takes it: within 0..1, a NaN is no value.
bool UsableValue(double* v)
{
  if (*v != *v) return false;
  if (*v < 0.0) *v = 0.0;
  if (*v > 1.0) *v = 1.0;
  return true;
}

// The file a program or bank goes to or comes from, asked for through the editor; false
// without an editor or when the user cancels.
bool AskForFile(IGraphics* gui, EFileAction action, WDL_String* previousPath, const char* ext,
                WDL_String* file)
{
  if (!gui) return false;
  gui->PromptForFile(file, action, previousPath, ext);
  return file->GetLength() > 0;
}
} // namespace

// ----- images -----

void IPlugBase::MarkCurrentPresetInitialized()
{
  if (IPreset* preset = mPresets.Get(mCurrentPresetIdx)) preset->mInitialized = true;
}

bool IPlugBase::MakeFXPImage(ByteChunk* image)
{
  if (!image) return false;
  IMutexLock lock(this);
  image->Clear();
  const int version = GetEffectVersion(true);
  const char* name = GetPresetName(mCurrentPresetIdx);
  const int n = NParams();
  if (DoesStateChunks())
  {
    ByteChunk state;
    return SerializeState(&state) && PutFXProgramState(image, mUniqueID, version, n, name, &state);
  }
  WDL_TypedBuf<float> values;
  if (n > 0 && !values.Resize(n)) return false;
  for (int i = 0; i < n; ++i) values.Get()[i] = (float) GetParam(i)->GetNormalized();
  return PutFXProgram(image, mUniqueID, version, name, values.Get(), n);
}

bool IPlugBase::MakeFXBImage(ByteChunk* image)
{
  if (!image) return false;
  IMutexLock lock(this);
  image->Clear();
  const int version = GetEffectVersion(true);
  const int nPresets = NPresets();
  if (DoesStateChunks())
  {
    ByteChunk state;
    return SerializePresets(&state) &&
           PutFXBankState(image, mUniqueID, version, nPresets, mCurrentPresetIdx, &state);
  }
  if (!PutFXBank(image, mUniqueID, version, nPresets, mCurrentPresetIdx)) return false;
  const int n = NParams();
  WDL_TypedBuf<float> values;
  if (n > 0 && !values.Resize(n)) return false;
  for (int p = 0; p < nPresets; ++p)
  {
    const IPreset* preset = mPresets.Get(p);
    // A preset's chunk holds normalised values already: they are stored as they are.
    for (int i = 0; i < n; ++i)
    {
      double v = 0.0;
      if (preset->mChunk.Get(&v, 8 * i) < 0 || !UsableValue(&v)) v = 0.0;
      values.Get()[i] = (float) v;
    }
    if (!PutFXProgram(image, mUniqueID, version, preset->mName, values.Get(), n)) return false;
  }
  return true;
}

bool IPlugBase::LoadFXPImage(const ByteChunk* image)
{
  FXProgram program;
  if (!image || ReadFXProgram(image, 0, &program) < 0) return false;
  IMutexLock lock(this);
  const int n = NParams();
  if (program.uniqueID != mUniqueID || program.nParams != n) return false;

  if (DoesStateChunks())
  {
    if (!program.opaque) return false;
    ByteChunk state;
    if (state.PutBytes(image->GetData() + program.dataPos, program.dataSize) != program.dataSize) return false;
    if (UnserializeState(&state, 0) < 0) return false;
    ModifyCurrentPreset(program.name);
    MarkCurrentPresetInitialized();
    InformHostOfProgramChange();
    return true;
  }

  if (program.opaque) return false;
  for (int i = 0; i < n; ++i)
  {
    float f = 0.0f;
    GetBEFloat(image, program.dataPos + 4 * i, &f);
    double v = f;
    if (UsableValue(&v)) GetParam(i)->SetNormalized(v);
  }
  ModifyCurrentPreset(program.name);
  // The program now fills the current preset; restored as an empty slot it would be
  // renamed and would not pass its values on.
  MarkCurrentPresetInitialized();
  // Without a preset to restore, the engine and the editor still learn the new values.
  if (!RestorePreset(mCurrentPresetIdx))
  {
    OnParamReset();
    RedrawParamControls();
  }
  InformHostOfProgramChange();
  return true;
}

bool IPlugBase::LoadFXBImage(const ByteChunk* image)
{
  FXBank bank;
  if (!image || ReadFXBank(image, &bank) < 0) return false;
  IMutexLock lock(this);
  if (bank.uniqueID != mUniqueID) return false;

  if (DoesStateChunks())
  {
    if (!bank.opaque) return false;
    ByteChunk state;
    if (state.PutBytes(image->GetData() + bank.dataPos, bank.dataSize) != bank.dataSize) return false;
    if (UnserializePresets(&state, 0) < 0) return false;
    RestorePreset(bank.currentProgram);
    InformHostOfProgramChange();
    return true;
  }

  if (bank.opaque) return false;
  const int n = NParams();
  int pos = bank.dataPos;
  bool anyLoaded = false;
  for (int p = 0; p < bank.nPrograms; ++p)
  {
    FXProgram program;
    pos = ReadFXProgram(image, pos, &program);
    if (pos < 0 || program.opaque || program.nParams != n)
    {
      // The programs before stay loaded; the last of them is what the parameters hold,
      // and the engine is brought to it too.
      if (anyLoaded)
      {
        RestorePreset(mCurrentPresetIdx);
        InformHostOfProgramChange();
      }
      return false;
    }
    // A program with no preset slot to hold it would land in the current preset.
    if (p >= NPresets()) continue;
    if (!RestorePreset(p)) return false;
    anyLoaded = true;
    for (int i = 0; i < n; ++i)
    {
      float f = 0.0f;
      GetBEFloat(image, program.dataPos + 4 * i, &f);
      double v = f;
      if (UsableValue(&v)) GetParam(i)->SetNormalized(v);
    }
    ModifyCurrentPreset(program.name);
  }
  if (!RestorePreset(bank.currentProgram))
  {
    OnParamReset();
    RedrawParamControls();
  }
  InformHostOfProgramChange();
  return true;
}

// ----- files -----

bool IPlugBase::SaveProgramAsFXP(const char* defaultFileName)
{
  WDL_String file(defaultFileName);
  if (!AskForFile(GetGUI(), kFileSave, &mPreviousPath, "fxp", &file)) return false;
  ByteChunk image;
  const bool saved = MakeFXPImage(&image) && WriteFileImage(file.Get(), &image);
  Trace(__FUNCTION__, __LINE__, "%s %s", file.Get(), saved ? "saved" : "failed");
  return saved;
}

bool IPlugBase::SaveBankAsFXB(const char* defaultFileName)
{
  WDL_String file(defaultFileName);
  if (!AskForFile(GetGUI(), kFileSave, &mPreviousPath, "fxb", &file)) return false;
  ByteChunk image;
  const bool saved = MakeFXBImage(&image) && WriteFileImage(file.Get(), &image);
  Trace(__FUNCTION__, __LINE__, "%s %s", file.Get(), saved ? "saved" : "failed");
  return saved;
}

bool IPlugBase::LoadProgramFromFXP()
{
  WDL_String file;
  if (!AskForFile(GetGUI(), kFileOpen, &mPreviousPath, "fxp", &file)) return false;
  ByteChunk image;
  const bool loaded = ReadFileImage(file.Get(), &image, kFXMaxFileBytes) && LoadFXPImage(&image);
  Trace(__FUNCTION__, __LINE__, "%s %s", file.Get(), loaded ? "loaded" : "refused");
  return loaded;
}

bool IPlugBase::LoadBankFromFXB()
{
  WDL_String file;
  if (!AskForFile(GetGUI(), kFileOpen, &mPreviousPath, "fxb", &file)) return false;
  ByteChunk image;
  const bool loaded = ReadFileImage(file.Get(), &image, kFXMaxFileBytes) && LoadFXBImage(&image);
  Trace(__FUNCTION__, __LINE__, "%s %s", file.Get(), loaded ? "loaded" : "refused");
  return loaded;
}
