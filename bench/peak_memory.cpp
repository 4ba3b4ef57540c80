// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the program its arguments name, with its output thrown away, and prints the program's peak resident size in
// KiB. Started from this small process, the program's peak is its own: the peak of a process counts the memory it
// shared with its parent until it started the program.
#include <cstdio>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execvp(argv[1], argv + 1);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 1;
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}
