// Writing and repairing recovery sets in a test folder, each output staged and then renamed, as
// the split and the repair do.
#pragma once

#include "Failure.h"
#include "File.h"
#include "Recovery.h"
#include "TempDir.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zendra::test {

class Staging {
  public:
    CreateOutput Create() {
        return [this](const std::filesystem::path& final) {
            File file = File::CreateBeside(final);
            staged_.emplace_back(file.Path(), final);
            return file;
        };
    }
    void Commit() {
        for (const auto& [temporary, final] : staged_)
            MoveFileOver(temporary, final);
        staged_.clear();
    }

  private:
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> staged_;
};

// Files named in `contents` in `dir`, protected by recovery files BASE.par2 and BASE.vol*.
inline std::vector<std::filesystem::path> Protect(const TempDir& dir,
                                                  const std::map<std::string, Bytes>& contents,
                                                  const RecoveryOptions& options,
                                                  const std::string& base = "set") {
    std::vector<RecoveryInput> inputs;
    for (const auto& [name, bytes] : contents) {
        WriteBytes(dir / name, bytes);
        inputs.push_back({name, dir / name});
    }
    Staging staging;
    auto written = WriteRecoveryFiles(dir / base, inputs, options, staging.Create());
    staging.Commit();
    return written;
}

inline std::vector<RebuiltFile> Repair(const std::filesystem::path& par2File) {
    Staging staging;
    auto rebuilt = RebuildFiles(par2File, staging.Create());
    staging.Commit();
    return rebuilt;
}

} // namespace zendra::test
