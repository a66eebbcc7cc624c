// schedule_idle VORFJP_WEB CONTENT SECONDS: the processor use of an idle vorfjp-web that runs a
// schedule. CONTENT's folder holds the schedule (schedule.json) beside the content file. The
// service starts on a pseudo-terminal whose board end this program reads, puts its plans in
// force, and is then left alone for SECONDS (more than a minute, so that its clock check runs).
// Its time on the processor comes from /proc/PID/schedstat, in nanoseconds: the clock ticks of
// /proc/PID/stat are 10 ms, more than the whole budget of a minute. Prints "schedule_idle_cpu_pct",
// "schedule_idle_seconds" and "schedule_start_bytes" (what it sent when it started).
#include "board_end.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

long long cpuNanoseconds(pid_t pid)
{
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    long long onCpu = -1;
    schedstat >> onCpu;
    return onCpu;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: schedule_idle VORFJP_WEB CONTENT SECONDS\n");
        return 2;
    }
    const int seconds = std::atoi(argv[3]);
    BoardEnd board;
    if (!board.open()) {
        std::perror("schedule_idle: pseudo-terminal");
        return 1;
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return 1;
    std::vector<std::string> words {argv[1], "--listen", "127.0.0.1:0", "--port", board.slavePath(), "--content", argv[2]};
    std::vector<char*> args;
    for (std::string& word : words)
        args.push_back(word.data());
    args.push_back(nullptr);
    const pid_t service = ::fork();
    if (service == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execv(args[0], args.data());
        std::fprintf(stderr, "schedule_idle: cannot start %s: %s\n", args[0], std::strerror(errno));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char c = 0;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') {
    }
    // Its start-up sends (a weather send pauses a second), and the idle second after which it
    // lets go of the port.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const long startBytes = board.received();
    const long long before = cpuNanoseconds(service);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long long used = cpuNanoseconds(service) - before;
    ::kill(service, SIGTERM);
    ::waitpid(service, nullptr, 0);
    if (before < 0) {
        std::fprintf(stderr, "schedule_idle: no /proc/PID/schedstat on this system\n");
        return 1;
    }
    std::printf("schedule_idle_cpu_pct %.5f\nschedule_idle_seconds %d\nschedule_start_bytes %ld\n",
                100.0 * double(used) / 1e9 / seconds, seconds, startBytes);
    return 0;
}
