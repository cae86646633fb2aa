#pragma once
// A folder of its own for a benchmark's game data and lock files, gone afterwards.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class BenchScratch {
public:
    /// `name`: the benchmark's, in the folder's name under /tmp.
    explicit BenchScratch(const std::string& name)
    {
        std::string pattern = "/tmp/" + name + ".XXXXXX";
        if (::mkdtemp(&pattern[0])) {
            mPath = pattern;
            std::filesystem::create_directories(mPath + "/data");
            std::filesystem::create_directories(mPath + "/run");
            ::setenv("XDG_DATA_HOME", (mPath + "/data").c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", (mPath + "/run").c_str(), 1);
        }
    }
    ~BenchScratch()
    {
        std::error_code ignored;
        if (!mPath.empty())
            std::filesystem::remove_all(mPath, ignored);
    }
    BenchScratch(const BenchScratch&) = delete;
    BenchScratch& operator=(const BenchScratch&) = delete;
    bool ok() const { return !mPath.empty(); }

private:
    std::string mPath;
};
