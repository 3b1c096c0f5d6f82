#pragma once
// Fatal checks of the filter kit. They guard programming errors only (orders, stage
// counts and channel counts are constants in every caller): a failure prints the
// expression, the function and the kit's name, then stops the process.

namespace Dsp {

[[noreturn]] void FatalError(const char* expression, const char* function, const char* source);

} // namespace Dsp

#define DSP_ASSERT(expr) \
  ((expr) ? (void) 0 : ::Dsp::FatalError(#expr, __func__, "dsp/DspFilter"))
