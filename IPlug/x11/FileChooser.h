#pragma once
// The desktop's own file chooser, run as a tool: zenity when it is installed, else
// kdialog. What to ask it for and how to read its answer, apart from running it.

#include <string>
#include <vector>

class FileChooser
{
public:
  enum class Tool
  {
    NotFound,
    Zenity,
    KDialog
  };

  struct Request
  {
    bool save = false;
    std::string dir;         // where to start; "~" stands for the home folder
    std::string defaultName; // the file name offered
    std::vector<std::string> types; // extensions without the dot; empty: any file
  };

  // The first tool found on PATH, and its full path.
  static Tool Find(std::string* path);

  // The command line for the tool at toolPath; empty for Tool::NotFound.
  static std::vector<std::string> Command(Tool tool, const std::string& toolPath, const Request& request);

  // The extensions of a space-separated list, empty entries left out.
  static std::vector<std::string> SplitTypes(const char* extensions);

  // The chosen path from the tool's output (its first line), or empty.
  static std::string Answer(const std::string& output);

  // A file saved under a name with none of the request's extensions gets the first one,
  // as a save limited to some types does.
  static std::string WithType(const std::string& path, const Request& request);

  // dir with a leading "~" replaced by home (when given).
  static std::string ExpandHome(const std::string& dir, const char* home);
};
