// startup_runner RUNS PROGRAM TWIN: starts the two programs alternately RUNS times each, with
// NIMBRIX_EXIT_AT_FIRST_PAINT set so that each exits at its main window's first paint, and
// prints the 10th percentile of the wall time from process start to exit and of the peak
// resident memory of each, and their ratios, as "name: value" lines.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds;
    long max_rss_kib;
};

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

Run run_once(const char* program) {
    char* argv[] = {const_cast<char*>(program), nullptr};
    const double start = now();
    pid_t pid = 0;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid, program, &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        std::perror(program);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    const double elapsed = now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not exit cleanly at its first paint\n", program);
        std::exit(1);
    }
    return {elapsed, usage.ru_maxrss};
}

template <typename T> T percentile10(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 10];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM TWIN\n", argv[0]);
        return 2;
    }
    const int runs = std::max(10, std::atoi(argv[1]));
    setenv("NIMBRIX_EXIT_AT_FIRST_PAINT", "1", 1);
    std::vector<double> program_time, twin_time;
    std::vector<long> program_rss, twin_rss;
    run_once(argv[2]); // warm the caches once for both
    run_once(argv[3]);
    for (int i = 0; i < runs; ++i) {
        const bool program_first = i % 2 == 0;
        const Run a = run_once(program_first ? argv[2] : argv[3]);
        const Run b = run_once(program_first ? argv[3] : argv[2]);
        const Run& p = program_first ? a : b;
        const Run& t = program_first ? b : a;
        program_time.push_back(p.seconds);
        twin_time.push_back(t.seconds);
        program_rss.push_back(p.max_rss_kib);
        twin_rss.push_back(t.max_rss_kib);
    }
    const double pt = percentile10(program_time), tt = percentile10(twin_time);
    const long pr = percentile10(program_rss), tr = percentile10(twin_rss);
    std::printf("startup.main_window_ratio: %.3f\n", pt / tt);
    std::printf("startup.rss_ratio: %.3f\n", double(pr) / double(tr));
    std::fprintf(
        stderr,
        "startup: program %.1f ms, twin %.1f ms; peak memory %ld KiB vs %ld KiB (%d runs each)\n",
        pt * 1000, tt * 1000, pr, tr, runs);
    return 0;
}
