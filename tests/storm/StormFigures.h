#pragma once

#include <dirent.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace storm {

// Entries of a folder of /proc (descriptors, threads); -1 when unreadable.
inline int CountEntries(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr)
    return -1;
  int count = 0;
  while (const dirent* entry = readdir(dir))
    count += entry->d_name[0] != '.' ? 1 : 0;
  closedir(dir);
  // The listing's own descriptor.
  return folder.ends_with("/fd") && folder.starts_with("/proc/self") ? count - 1 : count;
}

inline int OpenDescriptors(const std::string& pid = "self") {
  return CountEntries("/proc/" + pid + "/fd");
}
inline int Threads(const std::string& pid = "self") { return CountEntries("/proc/" + pid + "/task"); }

// Resident set size in KiB; -1 when unreadable.
inline long RssKiB(const std::string& pid = "self") {
  std::ifstream statm("/proc/" + pid + "/statm");
  long size = 0;
  long resident = -1;
  if (!(statm >> size >> resident))
    return -1;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A storm's number of rounds: TRAVIX_STORM_CYCLES when set, else `fallback`.
inline int Cycles(int fallback) {
  const char* text = std::getenv("TRAVIX_STORM_CYCLES");
  if (text == nullptr || *text == '\0')
    return fallback;
  const int value = std::atoi(text);
  return value > 0 ? value : fallback;
}

// One line of figures per storm, "storm: NAME key=value ...", for the
// collector of the CI's storm step.
struct Figures {
  std::string name;
  std::string pid = "self";
  QElapsedTimer clock;
  int fdsBefore = 0;
  int threadsBefore = 0;
  long rssBefore = 0;

  explicit Figures(std::string storm, std::string process = "self")
      : name(std::move(storm)), pid(std::move(process)) {}
  void Start() {
    fdsBefore = OpenDescriptors(pid);
    threadsBefore = Threads(pid);
    rssBefore = RssKiB(pid);
    clock.start();
  }
  void Print(int cycles, const std::string& extra = {}) const {
    std::printf("storm: %s cycles=%d seconds=%.1f fds=%d->%d threads=%d->%d rss_kib=%ld->%ld%s%s\n",
                name.c_str(), cycles, static_cast<double>(clock.elapsed()) / 1000.0, fdsBefore,
                OpenDescriptors(pid), threadsBefore, Threads(pid), rssBefore, RssKiB(pid),
                extra.empty() ? "" : " ", extra.c_str());
    std::fflush(stdout);
  }
};

}  // namespace storm
