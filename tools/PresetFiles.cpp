#include "tools/PresetFiles.h"

#include "IPlug/FXImage.h"
#include "IPlug/FileImage.h"
#include "IPlug/LV2PresetReader.h"
#include "engine/Ostrakon.h"
#include "engine/OstrakonLV2.h"
#include "host/AUComponent.h"
#include "host/CFText.h"
#include "host/PendingFile.h"

#include <cstring>
#include <memory>

namespace
{
std::string Quoted(const std::string& path) { return "'" + path + "'"; }

ComponentDescription StripComponent()
{
  return {kOstrakonComponentType, (OSType) kOstrakonUniqueID, (OSType) kOstrakonMfrID, 0, 0};
}

LV2PresetTarget StripLV2Target()
{
  LV2PresetTarget t;
  t.pluginURIs = {kOstrakonLV2StereoURI, kOstrakonLV2MonoURI};
  t.stateKey = kOstrakonLV2StateKey;
  t.stateVersionKey = kOstrakonLV2StateVersionKey;
  t.stateVersion = kOstrakonLV2StateVersion;
  return t;
}

std::string LowerExtension(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = (char) tolower((unsigned char) c);
  return ext;
}

// Bytes that are no UTF-8 (a program file's name may come from anywhere) become '?'.
std::string ValidUTF8(const std::string& text)
{
  std::string out;
  const unsigned char* s = (const unsigned char*) text.data();
  const size_t n = text.size();
  for (size_t i = 0; i < n;)
  {
    const unsigned char c = s[i];
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = len > 0 && i + len <= n;
    for (size_t k = 1; ok && k < len; ++k) ok = (s[i + k] & 0xC0) == 0x80;
    if (ok && len > 1)
    {
      // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8 either.
      unsigned cp = c & (0x7F >> len);
      for (size_t k = 1; k < len; ++k) cp = cp << 6 | (s[i + k] & 0x3F);
      static const unsigned kMin[] = {0, 0, 0x80, 0x800, 0x10000};
      ok = cp >= kMin[len] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    }
    if (ok && c != 0)
    {
      out.append(text, i, len);
      i += len;
    }
    else
    {
      out += '?';
      ++i;
    }
  }
  return out;
}

// A preset built from the strip's own values: its defaults, then the file's values in
// their place where they are usable.
class StripValues
{
public:
  StripValues() : mPlug(MakePlug())
  {
    for (int i = 0; i < mPlug->NParams(); ++i) mDefaults.push_back(mPlug->GetParam(i)->GetNormalized());
  }
  IPlugBase& Plug() { return *mPlug; }
  int Count() const { return (int) mDefaults.size(); }

  // v is the file's value for parameter i.
  double Value(int i, double v) const
  {
    if (v != v) return mDefaults[(size_t) i];
    return v < 0.0 ? 0.0 : v > 1.0 ? 1.0 : v;
  }
  std::vector<double> FromChunk(const unsigned char* data, size_t size) const
  {
    std::vector<double> values = mDefaults;
    for (size_t i = 0; i < values.size() && 8 * (i + 1) <= size; ++i)
    {
      double v;
      memcpy(&v, data + 8 * i, 8);
      values[i] = Value((int) i, v);
    }
    return values;
  }

private:
  std::unique_ptr<Ostrakon> mPlug;
  std::vector<double> mDefaults;
};

ByteChunk ChunkOf(const std::vector<double>& values)
{
  ByteChunk chunk;
  for (double v : values) chunk.Put(&v);
  return chunk;
}

bool ReadAUPreset(const std::string& path, StripPreset* preset, std::string* error)
{
  AUPresetFile file;
  if (!file.Read(path, error)) return false;
  if (!file.BelongsTo(StripComponent()))
  {
    *error = Quoted(path) + " is a preset of another component (" + ComponentCodes(file.Owner()) + ", not " +
             ComponentCodes(StripComponent()) + ")";
    return false;
  }
  CFRef key = CFTextFromUTF8(kAUPresetDataKey);
  CFDataRef data = key ? (CFDataRef) CFDictionaryGetValue(file.State(), key.Get()) : nullptr;
  StripValues strip;
  preset->name = file.Name();
  preset->values = data ? strip.FromChunk(CFDataGetBytePtr(data), (size_t) CFDataGetLength(data))
                        : strip.FromChunk(nullptr, 0);
  return true;
}

bool ReadProgram(const std::string& path, StripPreset* preset, std::string* error)
{
  ByteChunk image;
  if (!ReadFileImage(path.c_str(), &image, kFXMaxFileBytes))
  {
    *error = "cannot read program file " + Quoted(path) + ": it is no readable file of at most " +
             std::to_string(kFXMaxFileBytes >> 20) + " MiB";
    return false;
  }
  FXProgram program;
  if (ReadFXProgram(&image, 0, &program) < 0)
  {
    *error = Quoted(path) + " is not a program file: its header or length is wrong";
    return false;
  }
  StripValues strip;
  const IPlugBase& plug = strip.Plug();
  if (program.uniqueID != plug.GetUniqueID())
  {
    *error = Quoted(path) + " is a program of another plug-in (unique ID " + FourCCString((OSType) program.uniqueID) +
             ", not " + FourCCString((OSType) plug.GetUniqueID()) + ")";
    return false;
  }
  if (program.opaque)
  {
    *error = Quoted(path) + " holds opaque state (\"FPCh\"); the strip reads parameter programs (\"FxCk\")";
    return false;
  }
  if (program.nParams != strip.Count())
  {
    *error = Quoted(path) + " holds " + std::to_string(program.nParams) + " parameters; the strip has " +
             std::to_string(strip.Count());
    return false;
  }
  preset->name = ValidUTF8(program.name);
  preset->values.clear();
  for (int i = 0; i < program.nParams; ++i)
  {
    float f = 0.0f;
    GetBEFloat(&image, program.dataPos + 4 * i, &f);
    preset->values.push_back(strip.Value(i, f));
  }
  return true;
}

bool ReadLV2(const std::string& path, StripPreset* preset, std::string* error)
{
  const LV2PresetTarget target = StripLV2Target();
  LV2PresetFile file;
  std::string problem;
  std::unique_ptr<Ostrakon> plug(MakePlug()), asConstructed(MakePlug());
  ByteChunk chunk;
  if (!ReadLV2Preset(path, target, &file, &problem) ||
      !RestoreLV2Preset(file, target, plug.get(), *asConstructed, &chunk, &problem))
  {
    *error = Quoted(path) + " " + problem;
    return false;
  }
  StripValues strip;
  preset->name = ValidUTF8(file.label);
  preset->values = strip.FromChunk(chunk.GetData(), (size_t) chunk.Size());
  return true;
}

bool MakeAUState(const StripPreset& preset, AUPresetFile* state, std::string* error)
{
  CFMutableDictionaryRef raw =
      CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFRef dict(raw);
  const ComponentDescription cd = StripComponent();
  const SInt32 numbers[] = {kOstrakonVersion, (SInt32) cd.componentType, (SInt32) cd.componentSubType,
                            (SInt32) cd.componentManufacturer};
  const char* const numberKeys[] = {kAUPresetVersionKey, kAUPresetTypeKey, kAUPresetSubtypeKey,
                                    kAUPresetManufacturerKey};
  const ByteChunk chunk = ChunkOf(preset.values);
  bool ok = raw != nullptr;
  auto put = [&](const char* key, CFTypeRef value) {
    CFRef k = CFTextFromUTF8(key), v(value);
    ok = ok && k && v;
    if (ok) CFDictionarySetValue(raw, k.Get(), v.Get());
  };
  for (int i = 0; i < 4; ++i) put(numberKeys[i], CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &numbers[i]));
  put(kAUPresetNameKey, CFTextFromUTF8(preset.name).Release());
  put(kAUPresetDataKey, CFDataCreate(kCFAllocatorDefault, chunk.GetData(), chunk.Size()));
  if (!ok)
  {
    *error = "cannot make the preset's state: out of memory";
    return false;
  }
  state->SetState(dict.Get());
  return true;
}

bool StateToPreset(const AUPresetFile& state, StripPreset* preset, std::string* error)
{
  CFRef key = CFTextFromUTF8(kAUPresetDataKey);
  const void* data = nullptr;
  if (!state.BelongsTo(StripComponent()) || !key ||
      !CFDictionaryGetValueIfPresent(state.State(), key.Get(), &data) || CFGetTypeID(data) != CFDataGetTypeID())
  {
    *error = "the strip's state is not a preset of the strip";
    return false;
  }
  StripValues strip;
  preset->name = state.Name();
  preset->values = strip.FromChunk(CFDataGetBytePtr((CFDataRef) data), (size_t) CFDataGetLength((CFDataRef) data));
  return true;
}
} // namespace

std::string FileStem(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

bool PresetKindOf(const std::string& path, PresetKind* kind)
{
  const std::string ext = LowerExtension(path);
  if (ext == "aupreset")
    *kind = PresetKind::kAUPreset;
  else if (ext == "fxp")
    *kind = PresetKind::kProgram;
  else if (ext == "ttl")
    *kind = PresetKind::kLV2;
  else
    return false;
  return true;
}

bool ReadStripPreset(const std::string& path, StripPreset* preset, std::string* error)
{
  try
  {
    PresetKind kind = PresetKind::kAUPreset;
    PresetKindOf(path, &kind);
    switch (kind)
    {
      case PresetKind::kProgram: return ReadProgram(path, preset, error);
      case PresetKind::kLV2: return ReadLV2(path, preset, error);
      default: return ReadAUPreset(path, preset, error);
    }
  }
  catch (...)
  {
    *error = "cannot read preset " + Quoted(path) + ": out of memory";
    return false;
  }
}

bool EncodeStripPreset(PresetKind kind, const StripPreset& preset, const std::string& fallbackName,
                       std::string* bytes, std::string* error)
{
  try
  {
    const std::string name = ValidUTF8(preset.name.empty() ? fallbackName : preset.name);
    if (kind == PresetKind::kAUPreset)
    {
      AUPresetFile state;
      if (!MakeAUState(preset, &state, error)) return false;
      if (!state.ToXML(bytes))
      {
        *error = "cannot write the preset: its state is not a property list";
        return false;
      }
      return true;
    }

    std::unique_ptr<Ostrakon> plug(MakePlug());
    if (preset.values.size() != (size_t) plug->NParams())
    {
      *error = "the preset holds " + std::to_string(preset.values.size()) + " values; the strip has " +
               std::to_string(plug->NParams()) + " parameters";
      return false;
    }
    ByteChunk image;
    bool ok;
    if (kind == PresetKind::kProgram)
    {
      std::vector<float> values(preset.values.begin(), preset.values.end());
      ok = PutFXProgram(&image, plug->GetUniqueID(), plug->GetEffectVersion(true), name.c_str(), values.data(),
                        (int) values.size());
    }
    else
    {
      std::unique_ptr<Ostrakon> asConstructed(MakePlug());
      const ByteChunk chunk = ChunkOf(preset.values);
      const std::string ttl = LV2PresetTtl(StripLV2Target(), "", name, "", chunk, plug.get(), *asConstructed);
      ok = image.PutBytes(ttl.data(), (int) ttl.size()) == (int) ttl.size();
    }
    if (!ok)
    {
      *error = "cannot make the preset's file: out of memory";
      return false;
    }
    bytes->assign((const char*) image.GetData(), (size_t) image.Size());
    return true;
  }
  catch (...)
  {
    *error = "cannot make the preset's file: out of memory";
    return false;
  }
}

bool ReadPresetState(const std::string& path, AUPresetFile* state, std::string* error)
{
  PresetKind kind = PresetKind::kAUPreset;
  if (!PresetKindOf(path, &kind) || kind == PresetKind::kAUPreset) return state->Read(path, error);
  StripPreset preset;
  return ReadStripPreset(path, &preset, error) && MakeAUState(preset, state, error);
}

bool EncodePresetState(const std::string& path, const AUPresetFile& state, std::string* bytes, std::string* error)
{
  PresetKind kind = PresetKind::kAUPreset;
  if (!PresetKindOf(path, &kind) || kind == PresetKind::kAUPreset)
  {
    if (state.ToXML(bytes)) return true;
    *error = "cannot write preset " + Quoted(path) + ": the strip's state is not a property list";
    return false;
  }
  StripPreset preset;
  return StateToPreset(state, &preset, error) && EncodeStripPreset(kind, preset, FileStem(path), bytes, error);
}

bool ConvertPresetFile(const std::string& inPath, const std::string& outPath, std::string* error)
{
  PresetKind kind;
  if (!PresetKindOf(outPath, &kind))
  {
    *error = "cannot tell what to write to " + Quoted(outPath) + ": its name must end in .aupreset, .fxp or .ttl";
    return false;
  }
  StripPreset preset;
  std::string bytes;
  if (!ReadStripPreset(inPath, &preset, error)) return false;
  // A preset without a name takes the name of the file it came from.
  if (!EncodeStripPreset(kind, preset, FileStem(inPath), &bytes, error)) return false;
  PendingFile out;
  return out.Open(outPath, error) && out.Write(bytes.data(), bytes.size(), error) && out.Commit(error);
}
