#pragma once
// The words after a command: operands, and options given as "--name value" or
// "--name=value", in order; "--" ends the options. Every option of the commands takes a
// value.

#include <string>
#include <utility>
#include <vector>

struct CommandLine
{
  std::vector<std::string> operands;
  std::vector<std::pair<std::string, std::string>> options; // name ("--set"), value

  // argv[first] onwards; names are the options the command knows. False with an error
  // for an unknown option or one without its value.
  bool Parse(int argc, char** argv, int first, const std::vector<std::string>& names, std::string* error);
};
