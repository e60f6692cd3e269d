#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/System.h"

namespace corvane::testing {

// A fresh folder for one test, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        path_ =
            std::filesystem::temp_directory_path() /
            ("corvane-test-" + std::to_string(system::currentThreadId()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::u16string file(const std::string& name) const { return (path_ / name).u16string(); }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

  private:
    std::filesystem::path path_;
};

}  // namespace corvane::testing
