// Writing and repairing recovery sets in a test folder, through the transaction as the split and
// the repair do.
#pragma once

#include "TempDir.h"
#include "base/Failure.h"
#include "engine/Replace.h"
#include "io/File.h"
#include "recovery/Recovery.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zendra::test {

// Files named in `contents` in `dir`, protected by recovery files BASE.par2 and BASE.vol*, spread
// 1, 2, 4, ... a file as par2cmdline spreads them.
inline std::vector<std::filesystem::path> Protect(const TempDir& dir,
                                                  const std::map<std::string, Bytes>& contents,
                                                  const RecoveryOptions& options,
                                                  const std::string& base = "set") {
    std::vector<RecoveryInput> inputs;
    for (const auto& [name, bytes] : contents) {
        WriteBytes(dir / name, bytes);
        inputs.push_back({name, dir / name});
    }
    Replacement replace(dir / base, {});
    RecoveryOptions doubling = options;
    doubling.Files = RecoveryOptions::Spread::Doubling;
    auto written = WriteRecoveryFiles(dir / base, inputs, doubling,
                                      [&](const std::filesystem::path& final) {
                                          return replace.Create(final);
                                      });
    replace.Commit();
    return written;
}

inline std::vector<RebuiltFile> Repair(const std::filesystem::path& par2File) {
    Replacement replace(par2File, {});
    auto rebuilt = RebuildFiles(par2File, [&](const std::filesystem::path& final) {
        return replace.Create(final);
    });
    replace.Commit();
    return rebuilt;
}

} // namespace zendra::test
