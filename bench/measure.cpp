// Runs one program in a directory and prints its wall time, user and system CPU time, peak
// resident memory, exit status and whether it was stopped at the time limit:
// "wall user sys maxrss_kb status done|timeout".
//     measure DIR STDOUT STDERR LIMIT_S PROGRAM [ARG...]
// A launcher this small is needed because a child inherits its parent's resident pages until
// exec and Linux keeps that peak in the child's figures: a child of Python starts at some
// 15 MB. Only C library calls, so that this process itself stays small.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

volatile sig_atomic_t child = 0;
volatile sig_atomic_t timed_out = 0;

void on_alarm(int) {
    timed_out = 1;
    if (child > 0) kill(child, SIGKILL);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: measure DIR STDOUT STDERR LIMIT_S PROGRAM [ARG...]\n");
        return 2;
    }
    unsigned limit = static_cast<unsigned>(std::atoi(argv[4]));
    timespec t0{}, t1{};
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("measure: fork");
        return 2;
    }
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(argv[1]) != 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(argv[5], argv + 5);
        _exit(127);
    }
    child = pid;
    struct sigaction sa {};
    sa.sa_handler = on_alarm;
    sigaction(SIGALRM, &sa, nullptr);
    if (limit > 0) alarm(limit);
    int status = 0;
    rusage ru{};
    while (wait4(pid, &status, 0, &ru) < 0) {
        if (errno == EINTR) continue;
        std::perror("measure: wait4");
        return 2;
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    double wall = static_cast<double>(t1.tv_sec - t0.tv_sec) + 1e-9 * static_cast<double>(t1.tv_nsec - t0.tv_nsec);
    double user = static_cast<double>(ru.ru_utime.tv_sec) + 1e-6 * static_cast<double>(ru.ru_utime.tv_usec);
    double sys = static_cast<double>(ru.ru_stime.tv_sec) + 1e-6 * static_cast<double>(ru.ru_stime.tv_usec);
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%.6f %.6f %.6f %ld %d %s\n", wall, user, sys, ru.ru_maxrss, code,
                timed_out ? "timeout" : "done");
    return 0;
}
