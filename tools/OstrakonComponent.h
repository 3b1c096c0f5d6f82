#pragma once
// The strip as the component a host finds: its description, its name and its entry.

#include "host/AUComponent.h"

const AUComponent& OstrakonComponent();
