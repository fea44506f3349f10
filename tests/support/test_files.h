// Host files for tests: a temporary folder and whole-file reads and writes.
#pragma once
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

// A temporary folder, removed with everything in it (read-only entries too).
class TemporaryFolder {
  public:
    TemporaryFolder() {
        char pattern[] = "/tmp/kn_test_XXXXXX";
        if (mkdtemp(pattern) != nullptr) path_ = pattern;
    }
    ~TemporaryFolder() {
        const std::string command = "chmod -R u+w '" + path_ + "' && rm -rf '" + path_ + "'";
        if (!path_.empty() && std::system(command.c_str()) != 0) return;
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out.flush());
}
