// Held while a run reads a set (a join by its index): what a killed run left in the set's folder
// is mended first, and no run writes the set meanwhile.
#pragma once

#include "io/File.h"
#include "engine/Replace.h"

#include <filesystem>
#include <memory>

namespace zendra {

class SetReading {
  public:
    // Shares the lock of `set` (the index) with other readers, refusing at once, naming it, while
    // a run writes it; then mends what killed runs left in its folder, telling `notice`. A folder
    // this process cannot write (a CD, a write-protected stick, a read-only share) is read as it
    // is: no lock or journal is made there.
    SetReading(const std::filesystem::path& set, const Notice& notice);

  private:
    std::unique_ptr<RunLock> claim_;
};

} // namespace zendra
