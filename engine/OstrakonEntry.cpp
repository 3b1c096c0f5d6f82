#include "engine/Ostrakon.h"

namespace
{
IPlugAU* MakeOstrakon() { return MakePlug(); }
} // namespace

extern "C" ComponentResult Ostrakon_Entry(ComponentParameters* params, void* storage)
{
  return IPlugAU::IPlugAUEntry(params, storage, MakeOstrakon);
}
