#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A folder under /tmp that is removed with everything in it at destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Writes a file below the folder and returns its full path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;

private:
    std::string path_;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
