#include "IPlug/x11/FileChooser.h"

#include "IPlug/x11/ChildProcess.h"

#include <strings.h>

namespace
{
std::string StartPath(const FileChooser::Request& request)
{
  std::string start = request.dir;
  if (!start.empty() && start.back() != '/') start += '/';
  return start + request.defaultName;
}
} // namespace

FileChooser::Tool FileChooser::Find(std::string* path)
{
  std::string found = ChildProcess::FindOnPath("zenity");
  Tool tool = Tool::Zenity;
  if (found.empty())
  {
    found = ChildProcess::FindOnPath("kdialog");
    tool = found.empty() ? Tool::NotFound : Tool::KDialog;
  }
  if (path) *path = found;
  return tool;
}

std::vector<std::string> FileChooser::Command(Tool tool, const std::string& toolPath, const Request& request)
{
  std::string patterns;
  for (const std::string& type : request.types) patterns += (patterns.empty() ? "*." : " *.") + type;
  std::vector<std::string> argv;
  switch (tool)
  {
    case Tool::Zenity:
      argv = {toolPath, "--file-selection"};
      if (request.save)
      {
        argv.push_back("--save");
        argv.push_back("--confirm-overwrite");
      }
      argv.push_back("--filename=" + StartPath(request));
      if (!patterns.empty()) argv.push_back("--file-filter=" + patterns);
      break;
    case Tool::KDialog:
      argv = {toolPath, request.save ? "--getsavefilename" : "--getopenfilename", StartPath(request)};
      if (!patterns.empty()) argv.push_back(patterns);
      break;
    case Tool::NotFound: break;
  }
  return argv;
}

std::vector<std::string> FileChooser::SplitTypes(const char* extensions)
{
  std::vector<std::string> types;
  std::string current;
  for (const char* p = extensions ? extensions : "";; ++p)
  {
    if (*p == ' ' || *p == 0)
    {
      if (!current.empty()) types.push_back(current);
      current.clear();
      if (*p == 0) break;
    }
    else
      current += *p;
  }
  return types;
}

std::string FileChooser::Answer(const std::string& output)
{
  const size_t end = output.find('\n');
  std::string path = output.substr(0, end);
  if (!path.empty() && path.back() == '\r') path.pop_back();
  return path;
}

std::string FileChooser::WithType(const std::string& path, const Request& request)
{
  if (!request.save || request.types.empty() || path.empty()) return path;
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
  {
    const std::string ext = path.substr(dot + 1);
    for (const std::string& type : request.types)
      if (strcasecmp(ext.c_str(), type.c_str()) == 0) return path;
  }
  return path + "." + request.types.front();
}

std::string FileChooser::ExpandHome(const std::string& dir, const char* home)
{
  if (!home || !*home || dir.empty() || dir[0] != '~' || (dir.size() > 1 && dir[1] != '/')) return dir;
  return home + dir.substr(1);
}
