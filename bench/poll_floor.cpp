// The floor of a poll with nothing changed: the raw reads such a poll cannot do without, over the same
// simulated machine as poll_bench, with plain system calls and nothing else. A poll must read the mount
// table once (which drives hold a mounted disc) and one udev database file per drive (its label); the
// second figure adds the listing of the sysfs folder that tells which drives there are.
//   poll_floor DRIVES [POLLS]
// Prints "key value" lines: the median CPU time of one such poll over several batches, in microseconds.
#include "SimulatedMachine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

char g_buffer[1 << 16];

std::size_t readWhole(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    std::size_t total = 0;
    for (ssize_t got; (got = ::read(fd, g_buffer, sizeof g_buffer)) > 0;)
        total += static_cast<std::size_t>(got);
    ::close(fd);
    return total;
}

std::size_t listFolder(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    std::size_t total = 0;
    for (ssize_t got; (got = ::getdents64(fd, g_buffer, sizeof g_buffer)) > 0;)
        total += static_cast<std::size_t>(got);
    ::close(fd);
    return total;
}

// The median CPU time of one call of `poll`, in microseconds.
template <class Poll> double medianMicroseconds(int polls, Poll poll) {
    std::vector<double> batches;
    for (int batch = 0; batch < 9; ++batch) {
        const double start = bench::cpuSeconds();
        for (int i = 0; i < polls; ++i)
            poll();
        batches.push_back((bench::cpuSeconds() - start) / polls * 1e6);
    }
    std::nth_element(batches.begin(), batches.begin() + 4, batches.end());
    return batches[4];
}

} // namespace

int main(int argc, char** argv) {
    const int drives = argc > 1 ? std::atoi(argv[1]) : 23;
    const int polls = argc > 2 ? std::atoi(argv[2]) : 2000;
    if (drives < 0 || drives > 23 || polls <= 0) {
        std::fputs("usage: poll_floor DRIVES(0-23) [POLLS]\n", stderr);
        return 2;
    }
    const bench::SimulatedMachine machine(
        bench::fs::temp_directory_path() / ("tavimoro-floor-" + std::to_string(::getpid())), drives);
    std::vector<std::string> udevFiles;
    for (int n = 0; n < drives; ++n)
        udevFiles.push_back(machine.udevFile(n));
    std::size_t bytes = 0;
    const auto reads = [&] {
        bytes += readWhole(machine.mountinfo.c_str());
        for (const std::string& file : udevFiles)
            bytes += readWhole(file.c_str());
    };
    const double floor = medianMicroseconds(polls, reads);
    const double withListing = medianMicroseconds(polls, [&] {
        bytes += listFolder(machine.sysBlock.c_str());
        reads();
    });
    std::printf("drives %d\n", drives);
    std::printf("floor_us %.2f\n", floor);
    std::printf("floor_listing_us %.2f\n", withListing);
    return bytes > 0 ? 0 : 1;
}
