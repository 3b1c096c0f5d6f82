#include "tools/Demo.h"

#include "tools/AudioFile.h"
#include "tools/DemoSignal.h"
#include "tools/Levels.h"
#include "tools/Render.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace
{
// A high-pass, a presence lift, a FET compressor working hard and some drive, with the
// EQ ahead of the compressor: every stage that shapes the sound takes part.
const ParamSetting kCharacter[] = {
  {"Routing", "Eq -> Dyn1 -> Dyn2"},
  {"Hi Pass Freq.", "80"},
  {"Hi Mid Freq.", "2500"},
  {"Hi Mid Gain", "4"},
  {"Hi Mid Q", "1.5"},
  // The type first: it moves the attack and release ranges the next values fall in.
  {"Dyn. 1 Type", "FET"},
  // The FET listens harder as this knob falls; at -25 dB the mix is held about 9 dB
  // down, which the slot's output gain makes up.
  {"Dyn. 1 Thresh.", "-25"},
  {"Dyn. 1 Ratio", "4"},
  {"Dyn. 1 Attack", "0.2"},
  {"Dyn. 1 Release", "300"},
  {"Dyn1 Output Gain", "6"},
  {"Input Gain", "6"},
  {"Output Gain", "-3"},
};

constexpr long long kDemoAnalogueTime = 1767225600; // 2026-01-01 00:00:00 UTC

bool WriteSignal(const std::string& path, const std::vector<float>& frames, std::string* error)
{
  AudioFileWriter writer;
  if (!writer.Open(path, kDemoSampleRate, 2, error)) return false;
  if (!writer.Write(frames.data(), (int) (frames.size() / 2), error)) return false;
  return writer.Commit(error);
}
} // namespace

bool RunDemo(const std::string& dir, FILE* out, std::string* error)
{
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec || !std::filesystem::is_directory(dir, ec))
  {
    *error = "cannot create directory '" + dir + "'" + (ec ? ": " + ec.message() : "");
    return false;
  }

  std::string base = dir;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  if (base != "/") base += "/";
  const std::string input = base + "input.wav";
  const std::string defaults = base + "defaults.wav";
  const std::string character = base + "character.wav";

  if (!WriteSignal(input, SynthesiseDemoSignal(kDemoSampleRate, kDemoSeconds), error)) return false;

  // A fixed analogue time, so the demo writes the same files on every run.
  RenderOptions plain;
  plain.fixedAnalogueTime = true;
  plain.analogueTime = kDemoAnalogueTime;
  if (!RenderFile(input, defaults, plain, error)) return false;
  RenderOptions characterful = plain;
  characterful.strip.settings.assign(std::begin(kCharacter), std::end(kCharacter));
  if (!RenderFile(input, character, characterful, error)) return false;

  for (const std::string& path : {input, defaults, character})
  {
    Levels levels;
    if (!MeasureFileLevels(path, &levels, error)) return false;
    fprintf(out, "%s: peak %s dBFS, RMS %s dBFS\n", path.c_str(), FormatDBFS(levels.peak).c_str(),
            FormatDBFS(levels.rms).c_str());
  }
  if (fflush(out) != 0 || ferror(out))
  {
    *error = "cannot write the levels to the output";
    return false;
  }
  return true;
}
