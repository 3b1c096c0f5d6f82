#pragma once
// Where the plug-in's code lives: the folder of the binary (executable or shared object)
// this framework is linked into, resolved to an absolute path without symbolic links.

#include <string>

// "." when it cannot be told.
std::string BinaryFolder();
