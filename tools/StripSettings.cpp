#include "tools/StripSettings.h"

#include "tools/PresetFiles.h"
#include "tools/StripHost.h"

bool StripSettings::TakeOption(const std::string& name, const std::string& value, bool* taken, std::string* error)
{
  *taken = true;
  if (name == "--preset")
  {
    if (value.empty())
    {
      *error = name + " needs a file name";
      return false;
    }
    presetPath = value;
    return true;
  }
  if (name == "--set")
  {
    ParamSetting setting;
    if (!ParseParamSetting(value, &setting, error)) return false;
    settings.push_back(setting);
    return true;
  }
  *taken = false;
  return true;
}

bool PendingStripSettings::Check(StripHost& host, const StripSettings& settings, std::string* error)
{
  mSettings = settings;
  for (const ParamSetting& s : mSettings.settings)
    if (host.FindParam(s.target, error) < 0) return false;
  return mSettings.presetPath.empty() ||
         (ReadPresetState(mSettings.presetPath, &mPreset, error) &&
          host.CheckPreset(mPreset, mSettings.presetPath, error));
}

bool PendingStripSettings::Apply(StripHost& host, std::string* error)
{
  if (!mPreset.IsEmpty() && !host.LoadPreset(mPreset, mSettings.presetPath, error)) return false;
  for (const ParamSetting& s : mSettings.settings)
    if (!host.Apply(s, error)) return false;
  return true;
}

bool EncodeStripState(StripHost& host, const std::string& path, std::string* bytes, std::string* error)
{
  AUPresetFile state;
  return host.SavePreset(&state, error) && EncodePresetState(path, state, bytes, error);
}
