#pragma once
// A fresh folder under the system temporary folder, removed with its
// contents when the test ends.
#include <filesystem>
#include <string>
#include <unistd.h>

namespace qm::test {

class TempFolder {
public:
    explicit TempFolder(const std::string& tag)
    {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("qm-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace qm::test
