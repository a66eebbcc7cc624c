// x_startup [--idle SECONDS] PROGRAM [ARGS...]: how fast a program puts its window on an X display,
// seen from outside through X events rather than by polling.
//
// Watches the root window for the creation and mapping of top-level windows, starts the program,
// and reports on standard output, one "name value" per line:
//   mapped_ms     from just before the program starts to the MapNotify of its first ordinary
//                 (not override-redirect) top-level window
//   painted_ms    to the first DamageNotify of that window after it is mapped: its first paint
//   idle_cpu_pct  processor time of all its threads over the idle seconds, as a share of one core
//                 (only with --idle; measured after two seconds of settling,
//                 past the first tick of a one-second clock)
//   idle_repaint  the bounding box WxH+X+Y of everything it drew while idle, "none" for nothing
//   max_rss_kib   its peak resident memory, from wait4() after it is stopped with SIGTERM
// Exits 1, with the reason on standard error, when the window does not appear within 30 s.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Nanoseconds on a processor, summed over every thread of the process (the X event thread too).
std::optional<unsigned long long> cpuNanoseconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    if (!dir)
        return std::nullopt;
    unsigned long long total = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        unsigned long long onCpu = 0;
        if (stat >> onCpu)
            total += onCpu;
    }
    ::closedir(dir);
    return total;
}

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty = true;
    void add(const XRectangle& r)
    {
        if (empty) {
            left = r.x, top = r.y, right = r.x + r.width, bottom = r.y + r.height;
            empty = false;
            return;
        }
        left = std::min<int>(left, r.x);
        top = std::min<int>(top, r.y);
        right = std::max<int>(right, r.x + r.width);
        bottom = std::max<int>(bottom, r.y + r.height);
    }
};

class Watch {
public:
    explicit Watch(Display* display)
        : m_display(display)
    {
    }

    bool init()
    {
        int error = 0;
        if (!XDamageQueryExtension(m_display, &m_damageEvent, &error))
            return false;
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XSync(m_display, False);
        return true;
    }

    // Handles what has arrived; idle marks damage drawn while the idle time is measured.
    void drain(bool idle)
    {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            const auto now = Clock::now();
            if (event.type == CreateNotify && !event.xcreatewindow.override_redirect) {
                // Raw rectangles: each drawing operation reports its own area.
                m_damages[event.xcreatewindow.window]
                    = XDamageCreate(m_display, event.xcreatewindow.window, XDamageReportRawRectangles);
            } else if (event.type == MapNotify && !mapped && m_damages.count(event.xmap.window) != 0) {
                m_window = event.xmap.window;
                mapped = now;
            } else if (event.type == m_damageEvent + XDamageNotify) {
                const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                if (!mapped || damage.drawable != m_window)
                    continue;
                if (!painted)
                    painted = now;
                if (idle)
                    idleBox.add(damage.area);
            }
        }
    }

    int fd() const { return ConnectionNumber(m_display); }

    std::optional<Clock::time_point> mapped;
    std::optional<Clock::time_point> painted;
    Box idleBox;

private:
    Display* m_display;
    int m_damageEvent = 0;
    Window m_window = 0;
    std::map<Window, Damage> m_damages;
};

// Waits for X events until the deadline or until done() holds.
template<typename Done>
void pump(Watch& watch, Clock::time_point deadline, bool idle, Done done)
{
    for (;;) {
        watch.drain(idle);
        if (done())
            return;
        const auto now = Clock::now();
        if (now >= deadline)
            return;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
        timeval timeout{static_cast<time_t>(left / 1000000), static_cast<suseconds_t>(left % 1000000)};
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(watch.fd(), &readable);
        ::select(watch.fd() + 1, &readable, nullptr, nullptr, &timeout);
    }
}

int usage()
{
    std::fprintf(stderr, "usage: x_startup [--idle SECONDS] PROGRAM [ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int first = 1;
    double idleSeconds = 0;
    if (argc > 2 && std::strcmp(argv[1], "--idle") == 0) {
        idleSeconds = std::atof(argv[2]);
        first = 3;
    }
    if (first >= argc || idleSeconds < 0)
        return usage();

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x_startup: cannot open the X display (DISPLAY is \"%s\")\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    Watch watch(display);
    if (!watch.init()) {
        std::fprintf(stderr, "x_startup: the X server has no DAMAGE extension\n");
        return 1;
    }

    const auto started = Clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("x_startup: fork");
        return 1;
    }
    if (child == 0) {
        ::close(ConnectionNumber(display));
        ::execvp(argv[first], argv + first);
        std::fprintf(stderr, "x_startup: cannot start %s: %s\n", argv[first], std::strerror(errno));
        ::_exit(127);
    }

    bool exited = false;
    const auto childGone = [&] {
        if (!exited && ::waitpid(child, nullptr, WNOHANG | WNOWAIT) == child)
            exited = true;
        return exited;
    };
    pump(watch, started + std::chrono::seconds(30), false, [&] { return watch.painted || childGone(); });

    std::optional<double> idleShare;
    if (watch.painted && idleSeconds > 0 && !childGone()) {
        pump(watch, Clock::now() + std::chrono::seconds(2), false, childGone);
        const auto before = cpuNanoseconds(child);
        const auto from = Clock::now();
        pump(watch, from + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(idleSeconds)),
             true, childGone);
        const auto after = cpuNanoseconds(child);
        if (before && after && !exited)
            idleShare = 100.0 * double(*after - *before) / (1e6 * msBetween(from, Clock::now()));
    }

    ::kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    XCloseDisplay(display);

    if (!watch.painted) {
        std::fprintf(stderr, "x_startup: %s %s\n", argv[first],
                     exited ? "ended before painting its window" : "showed no painted window within 30 s");
        return 1;
    }
    std::printf("mapped_ms %.2f\n", msBetween(started, *watch.mapped));
    std::printf("painted_ms %.2f\n", msBetween(started, *watch.painted));
    if (idleSeconds > 0) {
        if (!idleShare) {
            std::fprintf(stderr, "x_startup: %s ended while idle\n", argv[first]);
            return 1;
        }
        std::printf("idle_cpu_pct %.4f\n", *idleShare);
        const Box& box = watch.idleBox;
        if (box.empty)
            std::printf("idle_repaint none\n");
        else
            std::printf("idle_repaint %dx%d+%d+%d\n", box.right - box.left, box.bottom - box.top, box.left, box.top);
    }
    std::printf("max_rss_kib %ld\n", usage.ru_maxrss);
    return 0;
}
