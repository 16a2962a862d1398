// Where one read of a folder beats an lstat per name: the existence test of the
// plan for names missing from a folder of `entries` files, asked for one file
// in `ratio`, answered by reading the folder or by lstat, in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "system/FolderEntries.hpp"

namespace {

namespace fs = std::filesystem;

class Folder {
public:
    Folder(const char* root, std::size_t entries) {
        std::string pattern = std::string(root) + "/tavix-bench-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
        for (std::size_t i = 0; i < entries; ++i) {
            files_.push_back(
                (path_ / ("IMG_2019" + std::to_string(1000000 + i) + ".JPG")).string());
            const int fd = ::open(files_.back().c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0) ::close(fd);
        }
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::vector<std::string>& files() const { return files_; }

private:
    fs::path path_;
    std::vector<std::string> files_;
};

const Folder& folderAt(std::int64_t where, std::int64_t entries) {
    static std::map<std::pair<std::int64_t, std::int64_t>, std::unique_ptr<Folder>> folders;
    auto& folder = folders[{where, entries}];
    if (!folder) {
        folder = std::make_unique<Folder>(where == 0 ? "/dev/shm" : "/var/tmp",
                                          static_cast<std::size_t>(entries));
    }
    return *folder;
}

// range(0): 0 tmpfs, 1 disk; range(1): entries; range(2): one name asked per
// this many entries; range(3): 1 read the folder, 0 lstat each name.
void ExistBeside(benchmark::State& state) {
    const auto& files = folderAt(state.range(0), state.range(1)).files();
    std::vector<std::string> names;
    std::vector<std::size_t> asked;
    for (std::size_t i = 0; i < files.size(); i += static_cast<std::size_t>(state.range(2))) {
        asked.push_back(i);
        names.push_back("img-2019-" + std::to_string(i) + ".jpg");
    }
    const auto reads = state.range(3) ? tavix::FileSystem::FolderReads::always
                                      : tavix::FileSystem::FolderReads::never;
    for (auto _ : state) {
        const auto taken =
            tavix::FileSystem::FolderSnapshots(reads).existBeside(asked.size(), [&](std::size_t k) {
                return tavix::FileSystem::BesideQuestion{files[asked[k]], names[k]};
            });
        benchmark::DoNotOptimize(taken.size());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(asked.size()));
}

BENCHMARK(ExistBeside)
    ->ArgsProduct({{0, 1}, {20, 1000, 100000}, {1, 2, 4, 8, 16, 64}, {1, 0}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
