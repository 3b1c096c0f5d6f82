#pragma once
// Assertions guard programming errors only, never user input: a failure prints the
// expression, the function and the source and stops the process.

[[noreturn]] void FatalAssertFailed(const char* expression, const char* function, const char* source);

#define FATAL_ASSERT(expr, source) \
  ((expr) ? (void) 0 : FatalAssertFailed(#expr, __func__, source))
