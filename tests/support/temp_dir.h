#pragma once
// A fresh folder under the system temporary folder, removed with everything
// in it when the object goes; whole-file helpers of the tests.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace qm::test {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "qm")
    {
        std::string templ = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (mkdtemp(templ.data()))
            path_ = templ;
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The bytes of a file; empty when it cannot be read.
inline std::string readTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Writes the bytes as the whole file, making the folders above it.
inline void writeFile(const std::filesystem::path& p, const std::string& bytes)
{
    std::error_code ec;
    std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names of the entries of a folder.
inline std::set<std::string> filesIn(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

} // namespace qm::test
