#pragma once

#include <memory>

#include "settings/settings.h"

namespace pic18sim {

// The program's own settings store (the file store at its default path), opened anew for each
// use so that changes made by the program in between are seen.
std::unique_ptr<tessil::Store> OpenProgramStore();

}  // namespace pic18sim
