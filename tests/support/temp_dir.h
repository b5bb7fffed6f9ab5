#pragma once
// A fresh folder under the system temporary folder, removed with everything
// in it when the object goes.
#include <cstdlib>
#include <filesystem>
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

} // namespace qm::test
