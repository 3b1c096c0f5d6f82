// ostrakon: the channel strip on the command line.
//   ostrakon params
//   ostrakon info
//   ostrakon render IN OUT [--block N] [--analogue-time T] [--preset FILE] [--save-preset FILE]
//                          [--set NAME_OR_INDEX=VALUE]...
//   ostrakon preset show FILE
//   ostrakon preset convert IN OUT
//   ostrakon demo DIR
//   ostrakon snapshot OUT.png [--preset FILE] [--set NAME_OR_INDEX=VALUE]... [--audio IN]
//   ostrakon editor [--preset FILE] [--set NAME_OR_INDEX=VALUE]... [--audio IN] [--save-preset FILE]
// Exit status 0 on success, 2 on any failure, which is reported in one line on stderr.

#include "engine/Ostrakon.h"
#include "tools/CommandLine.h"
#include "tools/Demo.h"
#include "tools/Editor.h"
#include "tools/Info.h"
#include "tools/ParamList.h"
#include "tools/PresetFiles.h"
#include "tools/PresetShow.h"
#include "tools/Render.h"
#include "tools/Snapshot.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;

const char* const kUsage =
  "usage: ostrakon params\n"
  "       ostrakon info\n"
  "       ostrakon render IN OUT [--block N] [--analogue-time T] [--preset FILE]\n"
  "                              [--save-preset FILE] [--set NAME_OR_INDEX=VALUE]...\n"
  "       ostrakon preset show FILE\n"
  "       ostrakon preset convert IN OUT\n"
  "       ostrakon demo DIR\n"
  "       ostrakon snapshot OUT.png [--preset FILE] [--set NAME_OR_INDEX=VALUE]...\n"
  "                                 [--audio IN]\n"
  "       ostrakon editor [--preset FILE] [--set NAME_OR_INDEX=VALUE]... [--audio IN]\n"
  "                       [--save-preset FILE]\n"
  "\n"
  "params  lists the 40 parameters, tab-separated: index, \"host name\", kind, default,\n"
  "        minimum, maximum, \"label\", shape, display text of the default\n"
  "info    prints what an Audio Unit host sees: name, version, component codes,\n"
  "        channel layouts (inputs-outputs), then per parameter, tab-separated: index,\n"
  "        \"name\", unit, minimum, maximum, default (the current value), value strings\n"
  "render  processes IN (WAV, AIFF or FLAC; 16/24-bit PCM or 32-bit float; mono or\n"
  "        stereo) through the strip into OUT, a 32-bit float WAV at IN's rate\n"
  "        --block N   frames per block, 1..65536 (default 512)\n"
  "        --analogue-time T\n"
  "                    seconds since 1970 that seed the analogue tolerances\n"
  "                    (default: now); the same T gives the same render\n"
  "        --preset FILE\n"
  "                    restores a preset before the --set options: an .aupreset (XML\n"
  "                    or binary), a program file (.fxp) or an LV2 preset (.ttl)\n"
  "        --set P=V   parameter P (host name or index) to V, in its real units,\n"
  "                    sent as a 32-bit float and clamped into its range; a switch\n"
  "                    or list also takes its value strings (\"Rev. Phase=on\",\n"
  "                    \"Dyn. 1 Type=FET\"); applied in the order given\n"
  "        --save-preset FILE\n"
  "                    writes the state after the --set options: a program file for\n"
  "                    .fxp, an LV2 preset for .ttl, else an XML .aupreset\n"
  "preset show FILE\n"
  "        prints a preset's name, then per parameter, tab-separated: index,\n"
  "        \"name\", display text, \"label\"\n"
  "preset convert IN OUT\n"
  "        converts between .aupreset, .fxp and .ttl (an LV2 preset), each named by\n"
  "        its extension; a program file keeps the values in single precision\n"
  "demo    writes a synthesised test signal and two renders of it into DIR and\n"
  "        prints their peak and RMS levels\n"
  "snapshot\n"
  "        draws the editor without a window into OUT.png (460 x 640)\n"
  "        --preset FILE and --set P=V as for render, applied in that order\n"
  "        --audio IN  plays IN (as render reads it) through the strip first, the\n"
  "                    editor repainted 25 times per second of audio, so the\n"
  "                    meters show its last levels\n"
  "editor  opens the editor in a window on $DISPLAY until the window is closed, or\n"
  "        until Ctrl-C or SIGTERM\n"
  "        --preset FILE and --set P=V as for render, applied in that order\n"
  "        --audio IN  plays IN (as render reads it) through the strip over and over\n"
  "                    in real time, so the meters move; the sound goes nowhere\n"
  "        --save-preset FILE\n"
  "                    writes the state when the editor ends, as --save-preset of\n"
  "                    render writes it\n"
  "        OSTRAKON_UI_SCALE=1.5 or 2 in the environment draws the window at that scale\n";

int Fail(const std::string& message)
{
  // One line, whatever a library message or a file name holds.
  std::string line = message;
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  fprintf(stderr, "ostrakon: %s\n", line.c_str());
  return kExitFailure;
}

bool ParseBlockSize(const std::string& text, int* blockSize, std::string* error)
{
  const bool digits = !text.empty() && text.size() <= 9 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  const long n = digits ? strtol(text.c_str(), nullptr, 10) : -1;
  if (n < 1 || n > kMaxRenderBlock)
  {
    *error = "block size '" + text + "' is not a whole number in 1.." + std::to_string(kMaxRenderBlock);
    return false;
  }
  *blockSize = (int) n;
  return true;
}

bool ParseAnalogueTime(const std::string& text, long long* t, std::string* error)
{
  const size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  const bool digits = text.size() > start && text.size() - start <= 18 &&
                      text.find_first_not_of("0123456789", start) == std::string::npos;
  if (!digits)
  {
    *error = "analogue time '" + text + "' is not a whole number of seconds";
    return false;
  }
  *t = strtoll(text.c_str(), nullptr, 10);
  return true;
}

int Params(int argc, char** argv)
{
  if (argc > 2) return Fail("'params' takes no arguments, got '" + std::string(argv[2]) + "'");
  std::unique_ptr<Ostrakon> plug(MakePlug());
  if (!PrintParamList(*plug, stdout)) return Fail("cannot write the parameter list to the output");
  return kExitOk;
}

int Render(int argc, char** argv)
{
  RenderOptions options;
  CommandLine line;
  std::string error;
  if (!line.Parse(argc, argv, 2, {"--block", "--set", "--analogue-time", "--preset", "--save-preset"}, &error))
    return Fail(error);
  for (const auto& [name, value] : line.options)
  {
    bool taken = false;
    if (!options.strip.TakeOption(name, value, &taken, &error)) return Fail(error);
    if (taken) continue;
    if (name == "--block")
    {
      if (!ParseBlockSize(value, &options.blockSize, &error)) return Fail(error);
    }
    else if (name == "--save-preset")
    {
      if (value.empty()) return Fail(name + " needs a file name");
      options.savePresetPath = value;
    }
    else
    {
      if (!ParseAnalogueTime(value, &options.analogueTime, &error)) return Fail(error);
      options.fixedAnalogueTime = true;
    }
  }
  const std::vector<std::string>& files = line.operands;
  if (files.size() < 2) return Fail("'render' needs an input and an output file: render IN OUT");
  if (files.size() > 2) return Fail("unexpected argument '" + files[2] + "'; 'render' takes IN and OUT");

  if (!RenderFile(files[0], files[1], options, &error)) return Fail(error);
  return kExitOk;
}

int Snapshot(int argc, char** argv)
{
  SnapshotOptions options;
  CommandLine line;
  std::string error;
  if (!line.Parse(argc, argv, 2, {"--set", "--preset", "--audio"}, &error)) return Fail(error);
  for (const auto& [name, value] : line.options)
  {
    bool taken = false;
    if (!options.strip.TakeOption(name, value, &taken, &error)) return Fail(error);
    if (taken) continue;
    if (value.empty()) return Fail(name + " needs a file name");
    options.audioPath = value;
  }
  const std::vector<std::string>& files = line.operands;
  if (files.empty()) return Fail("'snapshot' needs a file to write: snapshot OUT.png");
  if (files.size() > 1) return Fail("unexpected argument '" + files[1] + "'; 'snapshot' takes OUT.png");

  if (!WriteSnapshot(files[0], options, &error)) return Fail(error);
  return kExitOk;
}

int Editor(int argc, char** argv)
{
  EditorOptions options;
  CommandLine line;
  std::string error;
  if (!line.Parse(argc, argv, 2, {"--set", "--preset", "--audio", "--save-preset"}, &error)) return Fail(error);
  for (const auto& [name, value] : line.options)
  {
    bool taken = false;
    if (!options.strip.TakeOption(name, value, &taken, &error)) return Fail(error);
    if (taken) continue;
    if (value.empty()) return Fail(name + " needs a file name");
    (name == "--audio" ? options.audioPath : options.savePresetPath) = value;
  }
  if (!line.operands.empty())
    return Fail("unexpected argument '" + line.operands[0] + "'; 'editor' takes only options");

  if (!RunEditor(options, &error)) return Fail(error);
  return kExitOk;
}

int Info(int argc, char** argv)
{
  if (argc > 2) return Fail("'info' takes no arguments, got '" + std::string(argv[2]) + "'");
  std::string error;
  if (!PrintInfo(stdout, &error)) return Fail(error);
  return kExitOk;
}

int Preset(int argc, char** argv)
{
  const char* const kForms = "preset show FILE, preset convert IN OUT";
  if (argc < 3) return Fail(std::string("'preset' needs a command: ") + kForms);
  const std::string command = argv[2];
  const int nArgs = command == "show" ? 1 : command == "convert" ? 2 : -1;
  if (nArgs < 0) return Fail("unknown preset command '" + command + "': " + kForms);
  const std::string form = command == "show" ? "FILE" : "IN OUT";
  const std::string needs = command == "show" ? "a file" : "an input and an output file";
  if (argc < 3 + nArgs) return Fail("'preset " + command + "' needs " + needs + ": preset " + command + " " + form);
  if (argc > 3 + nArgs)
    return Fail("unexpected argument '" + std::string(argv[3 + nArgs]) + "'; 'preset " + command + "' takes " + form);
  std::string error;
  const bool ok = command == "show" ? ShowPreset(argv[3], stdout, &error) : ConvertPresetFile(argv[3], argv[4], &error);
  if (!ok) return Fail(error);
  return kExitOk;
}

int Demo(int argc, char** argv)
{
  if (argc < 3) return Fail("'demo' needs a directory to write into: demo DIR");
  if (argc > 3) return Fail("unexpected argument '" + std::string(argv[3]) + "'; 'demo' takes DIR");
  std::string error;
  if (!RunDemo(argv[2], stdout, &error)) return Fail(error);
  return kExitOk;
}
} // namespace

int main(int argc, char** argv)
{
  if (argc < 2)
    return Fail("missing command: params, info, render, preset, demo, snapshot or editor (see 'ostrakon --help')");
  const std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help")
  {
    fputs(kUsage, stdout);
    return kExitOk;
  }
  if (command == "params") return Params(argc, argv);
  if (command == "info") return Info(argc, argv);
  if (command == "render") return Render(argc, argv);
  if (command == "preset") return Preset(argc, argv);
  if (command == "demo") return Demo(argc, argv);
  if (command == "snapshot") return Snapshot(argc, argv);
  if (command == "editor") return Editor(argc, argv);
  return Fail("unknown command '" + command +
              "': params, info, render, preset, demo, snapshot or editor (see 'ostrakon --help')");
}
