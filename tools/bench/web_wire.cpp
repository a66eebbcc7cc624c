// web_wire RUNS VORFJP_WEB VORFJP_SEND CONTENT IDLE_SECONDS: the board service against the sender.
//   - POST /api/send/rooms to a running vorfjp-web, from the request's first byte to the last byte
//     of the frame on the line, against `vorfjp-send rooms` from its start to the same last byte;
//     RUNS alternating runs each. Both open the port for the send: the sender waits until the
//     service has let go of it after its second of idle time, and the service finds it closed
//     again at its next request;
//   - the service's processor use over IDLE_SECONDS without requests (after its port closed);
//   - the peak memory of the service after the runs, and of one vorfjp-send run.
// Both programs work on a copy of CONTENT and on a pseudo-terminal whose board end this program
// reads. Prints "web_ms", "send_ms" (medians), "web_idle_cpu_pct", "web_peak_kib",
// "send_peak_kib", "frame_bytes".
#include "board_end.h"
#include "median.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The room-rate frame of the delivered content: 32 cells.
constexpr long kFrameBytes = 32 + 12;

long clockTicksOf(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14 || i == 15)
            ticks += std::atol(field.c_str());
    }
    return ticks;
}

long peakKib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

pid_t spawn(std::vector<std::string> words, int outFd)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(outFd, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        std::fprintf(stderr, "web_wire: cannot start %s: %s\n", argv[0], std::strerror(errno));
        ::_exit(127);
    }
    return child;
}

std::optional<int> servicePort(int fromService)
{
    std::string line;
    char c = 0;
    while (::read(fromService, &c, 1) == 1 && c != '\n')
        line += c;
    const std::size_t at = line.rfind(':');
    if (at == std::string::npos)
        return std::nullopt;
    return std::atoi(line.c_str() + at + 1);
}

// One request on a fresh connection; the answer is read after the line has the frame.
std::optional<double> postRooms(int port, BoardEnd& board)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string request = "POST /api/send/rooms HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port)
                                + "\r\nContent-Type: application/json\r\nContent-Length: 2\r\nConnection: close\r\n\r\n{}";
    board.expect(kFrameBytes);
    const auto started = BoardEnd::Clock::now();
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::write(fd, request.data(), request.size()) != ssize_t(request.size())) {
        ::close(fd);
        return std::nullopt;
    }
    const auto last = board.wait(std::chrono::seconds(10), [] {});
    char answer[4096];
    while (::read(fd, answer, sizeof answer) > 0) {
    }
    ::close(fd);
    if (!last)
        return std::nullopt;
    return std::chrono::duration<double, std::milli>(*last - started).count();
}

std::optional<double> sendRooms(const std::string& sender, const std::string& content, BoardEnd& board, long& peak)
{
    board.expect(kFrameBytes);
    const int null = ::open("/dev/null", O_WRONLY);
    const auto started = BoardEnd::Clock::now();
    const pid_t child = spawn({sender, "--port", board.slavePath(), "--content", content, "rooms"}, null);
    ::close(null);
    const auto last = board.wait(std::chrono::seconds(10), [] {});
    int status = 0;
    rusage usage {};
    ::wait4(child, &status, 0, &usage);
    peak = usage.ru_maxrss;
    if (!last)
        return std::nullopt;
    return std::chrono::duration<double, std::milli>(*last - started).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: web_wire RUNS VORFJP_WEB VORFJP_SEND CONTENT IDLE_SECONDS\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::string web = argv[2];
    const std::string sender = argv[3];
    const std::string content = argv[4];
    const int idleSeconds = std::atoi(argv[5]);

    BoardEnd board;
    if (!board.open()) {
        std::perror("web_wire: pseudo-terminal");
        return 1;
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return 1;
    const pid_t service = spawn({web, "--listen", "127.0.0.1:0", "--port", board.slavePath(), "--content", content},
                                pipeFds[1]);
    ::close(pipeFds[1]);
    const std::optional<int> port = servicePort(pipeFds[0]);
    if (!port) {
        std::fprintf(stderr, "web_wire: vorfjp-web did not say where it listens\n");
        ::kill(service, SIGTERM);
        return 1;
    }

    std::vector<double> webMs;
    std::vector<double> sendMs;
    long sendPeak = 0;
    for (int run = 0; run < runs; ++run) {
        const std::optional<double> viaWeb = postRooms(*port, board);
        // Beyond the service's idle second, after which it closes the port the sender needs.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const std::optional<double> viaSender = sendRooms(sender, content, board, sendPeak);
        if (!viaWeb || !viaSender) {
            std::fprintf(stderr, "web_wire: a frame did not arrive (service %s, sender %s)\n", viaWeb ? "ok" : "missing",
                         viaSender ? "ok" : "missing");
            ::kill(service, SIGTERM);
            return 1;
        }
        webMs.push_back(*viaWeb);
        sendMs.push_back(*viaSender);
    }
    // Idle: after the service has let go of its port.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long ticksBefore = clockTicksOf(service);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const long ticksIdle = clockTicksOf(service) - ticksBefore;
    const double idlePct = 100.0 * double(ticksIdle) / double(::sysconf(_SC_CLK_TCK)) / idleSeconds;

    std::printf("web_ms %.3f\nsend_ms %.3f\nweb_idle_cpu_pct %.4f\nweb_peak_kib %ld\nsend_peak_kib %ld\nframe_bytes %ld\n",
                median(webMs), median(sendMs), idlePct, peakKib(service), sendPeak, kFrameBytes);
    ::kill(service, SIGTERM);
    ::waitpid(service, nullptr, 0);
    return 0;
}
