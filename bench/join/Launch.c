/* Runs one program and writes its wall time, CPU time and peak memory to a
 * file: bench_join_launch RESULT PROGRAM ARGS...
 *
 * The peak a parent reads with wait4 includes the memory of the process the
 * child was forked from (the kernel keeps it when the child execs), so the
 * measured program is forked from this small process, not from the
 * benchmark with its Qt libraries. */

#include <errno.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static double seconds(struct timeval t) { return (double)t.tv_sec + (double)t.tv_usec / 1e6; }

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s RESULT PROGRAM ARGS...\n", argv[0]);
        return 127;
    }
    const double start = now();
    const pid_t pid = fork();
    if (pid < 0) return 127;
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        fprintf(stderr, "cannot start %s\n", argv[2]);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR) return 127;
    const double wall = now() - start;
    FILE* result = fopen(argv[1], "w");
    if (!result) return 127;
    fprintf(result, "%.6f %.6f %ld\n", wall, seconds(usage.ru_utime) + seconds(usage.ru_stime),
            usage.ru_maxrss);
    fclose(result);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
