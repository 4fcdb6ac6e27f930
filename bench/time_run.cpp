// Runs a command and writes its wall time, CPU time and peak memory to a
// file, for scripts/bench. /usr/bin/time gives wall and CPU time in
// hundredths of a second only, and a second run of the bench card takes
// about a quarter of a second: 4% a step, more than the figures compared.
//
//   bench-time REPORT COMMAND [ARG...]
//
// REPORT gets three lines: "wall SECONDS", "cpu SECONDS" (user and system),
// "peak KIB". The exit status is the command's (128 + the signal when a
// signal ended it).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

double Seconds(const timespec& t) { return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9; }
double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench-time REPORT COMMAND [ARG...]\n");
    return 2;
  }
  timespec start;
  timespec end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t child = fork();
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::perror(argv[2]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) {
    std::perror("bench-time");
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  std::FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) {
    std::perror(argv[1]);
    return 2;
  }
  std::fprintf(report, "wall %.4f\ncpu %.4f\npeak %ld\n", Seconds(end) - Seconds(start),
               Seconds(usage.ru_utime) + Seconds(usage.ru_stime), usage.ru_maxrss);
  if (std::fclose(report) != 0) return 2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
