// TempDir: a fresh directory for one test, removed with everything in it at scope end.
#pragma once

#include <filesystem>
#include <random>
#include <string>

class TTempDir {
public:
    TTempDir() {
        std::random_device random;
        FPath = std::filesystem::temp_directory_path() /
                ("refhost-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(FPath);
    }
    ~TTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& name) const { return (FPath / name).string(); }

private:
    std::filesystem::path FPath;
};
