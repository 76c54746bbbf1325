#include "plugins/pic18sim/core/program_store.h"

#include "settings/file_store.h"

std::unique_ptr<tessil::Store> pic18sim::OpenProgramStore() {
  return std::make_unique<tessil::FileStore>(tessil::DefaultStorePath());
}
