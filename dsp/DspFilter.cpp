#include "dsp/DspFilter.h"

#include "dsp/DspAssert.h"

#include <cstdio>
#include <cstdlib>

namespace Dsp {

void FatalError(const char* expression, const char* function, const char* source)
{
  std::fprintf(stderr, "Assertion failed: (%s), function %s, file %s.\n", expression, function,
               source);
  std::fflush(stderr);
  std::abort();
}

Cpu cpu;

Cpu::Cpu()
  : m_mmx(false), m_sse(false), m_sse2(false), m_sse3(false), m_ssse3(false), m_sse41(false),
    m_sse42(false)
{
}

void Cpu::GetInfo()
{
}

} // namespace Dsp
