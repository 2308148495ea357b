// A fresh folder per test, removed afterwards, with small file helpers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace zendra::test {

using Bytes = std::vector<std::uint8_t>;

class TempDir {
  public:
    TempDir() {
        static std::mt19937_64 seed{std::random_device{}()};
        path_ = std::filesystem::temp_directory_path() / ("zendra-test-" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The folder as the engine's callers pass it: with its trailing separator.
    std::filesystem::path Folder() const {
        return path_.native() +
               std::filesystem::path::string_type(1, std::filesystem::path::preferred_separator);
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string U8(const std::filesystem::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The bytes a piece file holds for `data`.
inline Bytes PieceFileBytes(const Bytes& data) {
    const auto n = static_cast<std::uint32_t>(data.size());
    const auto le = [n](int i) { return static_cast<std::uint8_t>(n >> (8 * i)); };
    Bytes out(14 + data.size());
    const std::uint8_t header[10] = {1, 0, le(0), le(1), le(2), le(3), 1, 0, 0, 0};
    std::copy(header, header + 10, out.begin());
    std::copy(data.begin(), data.end(), out.begin() + 10);
    for (int i = 0; i < 4; ++i)
        out[10 + data.size() + static_cast<std::size_t>(i)] = le(i);
    return out;
}

} // namespace zendra::test
