#include "host/memory.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace memory {

namespace {

constexpr qint64 kUnknown = std::numeric_limits<qint64>::max();

// The first number that `format` reads from the file, or kUnknown.
qint64 readNumber(const char* path, const char* format) {
    std::FILE* f = std::fopen(path, "re");
    if (!f)
        return kUnknown;
    char line[256];
    long long value = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, format, &value) == 1)
            break;
    std::fclose(f);
    return value < 0 ? kUnknown : qint64(value);
}

// The least of what the machine, the address-space limit and the control
// group leave this process.
qint64 measured() {
    qint64 available = readNumber("/proc/meminfo", "MemAvailable: %lld kB");
    if (available != kUnknown)
        available *= 1024;
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const qint64 pages = readNumber("/proc/self/statm", "%lld");
        const qint64 used = pages == kUnknown ? 0 : pages * ::sysconf(_SC_PAGESIZE);
        available = std::min(available, std::max<qint64>(0, qint64(limit.rlim_cur) - used));
    }
    const qint64 groupMax = readNumber("/sys/fs/cgroup/memory.max", "%lld");
    const qint64 groupUsed = readNumber("/sys/fs/cgroup/memory.current", "%lld");
    if (groupMax != kUnknown && groupUsed != kUnknown)
        available = std::min(available, std::max<qint64>(0, groupMax - groupUsed));
    return available;
}

std::optional<qint64>& testFigure() {
    static std::optional<qint64> figure;
    return figure;
}

} // namespace

qint64 available() {
    return testFigure() ? *testFigure() : measured();
}

void setAvailableForTesting(std::optional<qint64> bytes) {
    testFigure() = bytes;
}

bool roomForText(qint64 units) {
    return units <= available() / kBytesPerUnit;
}

bool checkRoom(Host& host, qint64 units) {
    if (roomForText(units))
        return true;
    host.msgBox(kNoRoom, msgbox::Exclamation, kProgramName);
    return false;
}

} // namespace memory
