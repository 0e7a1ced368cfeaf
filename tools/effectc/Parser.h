#pragma once
// Reads an effect source into an Effect, or throws CompileError at the first fault.
#include <string>

#include "tools/effectc/EffectSource.h"

namespace effectc {

Effect ParseEffect(const std::string& source);

}  // namespace effectc
