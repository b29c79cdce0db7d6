// The floor of reading a board: list the directory, then open, read and close every person file and
// stat its .off marker, on THREADS threads, and nothing else. Usage: bare-reader DIR THREADS
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: bare-reader DIR THREADS\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    std::vector<std::string> stems;  // the person files without their .vlt
    DIR* listing = opendir(dir.c_str());
    if (!listing) {
        std::perror(argv[1]);
        return 1;
    }
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.ends_with(".vlt")) stems.push_back(name.substr(0, name.size() - 4));
    }
    closedir(listing);

    std::atomic<std::size_t> next{0};
    std::atomic<long long> bytes{0};
    auto work = [&] {
        std::vector<char> buffer(1 << 16);
        long long read_bytes = 0;
        for (std::size_t i; (i = next++) < stems.size();) {
            const std::string stem = dir + stems[i];
            const int fd = open((stem + ".vlt").c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                std::perror(stems[i].c_str());
                std::exit(1);
            }
            // A short read of a regular file is its end.
            for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) {
                read_bytes += n;
                if (static_cast<std::size_t>(n) < buffer.size()) break;
            }
            close(fd);
            struct stat marker {};
            stat((stem + ".off").c_str(), &marker);
        }
        bytes += read_bytes;
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < std::atoi(argv[2]); ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    std::printf("%zu files, %lld bytes\n", stems.size(), bytes.load());
}
