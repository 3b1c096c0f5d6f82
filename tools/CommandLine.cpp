#include "tools/CommandLine.h"

#include <algorithm>

bool CommandLine::Parse(int argc, char** argv, int first, const std::vector<std::string>& names,
                        std::string* error)
{
  bool optionsDone = false;
  for (int i = first; i < argc; ++i)
  {
    const std::string arg = argv[i];
    if (optionsDone || arg.empty() || arg[0] != '-')
    {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--")
    {
      optionsDone = true;
      continue;
    }
    // --block N and --block=N, --set P=V and --set=P=V, and so on.
    std::string name = arg, value;
    bool inlineValue = false;
    const size_t eq = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos)
    {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    }
    if (std::find(names.begin(), names.end(), name) == names.end())
    {
      *error = "unknown option '" + arg + "'";
      return false;
    }
    if (!inlineValue)
    {
      if (i + 1 >= argc)
      {
        *error = name + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    options.emplace_back(name, value);
  }
  return true;
}
