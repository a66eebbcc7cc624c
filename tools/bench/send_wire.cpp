// send_wire RUNS BYTES -- COMMAND... [-- COMMAND...]: from the start of a process to the last of
// the BYTES bytes it writes to a serial line, for each command in turn, RUNS times. "{port}" in a
// command stands for the line, a pseudo-terminal whose board end this program reads. Prints the
// median per command, in the order given: "command_0_ms 1.234", "command_1_ms ...".
#include "board_end.h"
#include "median.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Command = std::vector<std::string>;

std::optional<double> runOnce(const Command& command, BoardEnd& board, long bytes)
{
    std::vector<std::string> words;
    for (const std::string& word : command)
        words.push_back(word == "{port}" ? board.slavePath() : word);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    board.expect(bytes);
    const auto started = BoardEnd::Clock::now();
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        std::fprintf(stderr, "send_wire: cannot start %s: %s\n", argv[0], std::strerror(errno));
        ::_exit(127);
    }
    const auto last = board.wait(std::chrono::seconds(10), [] {});
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!last) {
        std::fprintf(stderr, "send_wire: %s put %ld of %ld bytes on the line (exit status %d)\n", argv[0],
                     board.received(), bytes, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        return std::nullopt;
    }
    return std::chrono::duration<double, std::milli>(*last - started).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5 || std::strcmp(argv[3], "--") != 0) {
        std::fprintf(stderr, "usage: send_wire RUNS BYTES -- COMMAND... [-- COMMAND...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const long bytes = std::atol(argv[2]);
    std::vector<Command> commands;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            commands.emplace_back();
        else
            commands.back().push_back(argv[i]);
    }
    for (const Command& command : commands) {
        if (command.empty() || runs < 1 || bytes < 1) {
            std::fprintf(stderr, "usage: send_wire RUNS BYTES -- COMMAND... [-- COMMAND...]\n");
            return 2;
        }
    }

    BoardEnd board;
    if (!board.open()) {
        std::perror("send_wire: pseudo-terminal");
        return 1;
    }
    std::vector<std::vector<double>> samples(commands.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const std::optional<double> ms = runOnce(commands[i], board, bytes);
            if (!ms)
                return 1;
            samples[i].push_back(*ms);
        }
    }
    for (std::size_t i = 0; i < commands.size(); ++i)
        std::printf("command_%zu_ms %.3f\n", i, median(samples[i]));
    return 0;
}
