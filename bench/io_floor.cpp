// bench-io-floor: the bare input and output that any tool preparing a card
// has to do, timed on a fresh card, so that cardprep's own time can be put
// against it:
//
//   1. list every folder once (the card's folders, not _FONT);
//   2. read the first 1024 bytes of every MP3 file;
//   3. write as many files and bytes as cardprep writes (taken, folder by
//      folder in name order, from a card that cardprep has prepared), but
//      for the rename log RENFIL04.LOG;
//   4. rename every MP3 file once, each move followed by one write of its
//      line to the folder's rename log (so that a run stopped at any moment
//      loses at most the line of the move in flight; the log's bytes are
//      those of the prepared card's, spread over the moves), and every
//      folder whose name is not an 8.3 name.
//
//   bench-io-floor PREPARED-CARD FRESH-CARD
//   bench-io-floor --plan PREPARED-CARD PLAN
//   bench-io-floor --from PLAN FRESH-CARD
//
// The fresh card is changed (renamed files, extra files): use a copy. It
// prints one line per step and a total: wall and CPU seconds. --plan only
// writes down what steps 3 and 4 are to write (one line per folder, the
// sizes of its files, the rename log's marked with an L), and --from takes
// it from there instead of listing the prepared card, so that a count of
// the floor's system calls holds only the four steps.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Folder {
  std::string path;                  // below the card, '/'-separated, "" for the root
  std::vector<std::string> mp3s;     // names
  std::vector<std::string> folders;  // names of subfolders
};

struct Clock {
  double wall;
  double cpu;
};

Clock Now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return Clock{static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9, cpu};
}

bool EndsWithMp3(const char* name) {
  size_t n = std::strlen(name);
  return n > 4 && name[n - 4] == '.' && (name[n - 3] | 0x20) == 'm' &&
         (name[n - 2] | 0x20) == 'p' && name[n - 1] == '3';
}

std::string Join(const std::string& a, const std::string& b) { return a.empty() ? b : a + "/" + b; }

bool IsFolder(int dirFd, const dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN) return false;
  struct stat st;
  return fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Lists the tree below card: every folder once, in name order (the same
// order for the prepared and the fresh card). _FONT and its contents are
// left out, as cardprep leaves them out.
void ListTree(const std::string& card, const std::string& path, std::vector<Folder>& out) {
  size_t index = out.size();
  out.push_back(Folder{path, {}, {}});
  std::string full = path.empty() ? card : card + "/" + path;
  DIR* dir = opendir(full.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> folders;
  while (dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (IsFolder(dirfd(dir), entry)) {
      if (name[0] != '_') folders.push_back(name);
    } else if (EndsWithMp3(name)) {
      out[index].mp3s.push_back(name);
    }
  }
  closedir(dir);
  std::sort(folders.begin(), folders.end());
  std::sort(out[index].mp3s.begin(), out[index].mp3s.end());
  out[index].folders = folders;
  for (const std::string& folder : folders) ListTree(card, Join(path, folder), out);
}

// What cardprep wrote into one folder of a prepared card: the sizes of its
// files (everything but the MP3 files and the rename log), and the rename
// log's size (-1 when it wrote none).
struct Written {
  std::vector<long> sizes;
  long logSize = -1;
};

// What cardprep wrote into each folder of a prepared card, in the order of
// ListTree.
std::vector<Written> WrittenSizes(const std::string& card, const std::vector<Folder>& folders) {
  std::vector<Written> written;
  for (const Folder& folder : folders) {
    written.emplace_back();
    std::string full = folder.path.empty() ? card : card + "/" + folder.path;
    DIR* dir = opendir(full.c_str());
    if (dir == nullptr) continue;
    while (dirent* entry = readdir(dir)) {
      struct stat st;
      if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (!S_ISREG(st.st_mode) || EndsWithMp3(entry->d_name)) continue;
      if (std::strcmp(entry->d_name, "RENFIL04.LOG") == 0) {
        written.back().logSize = static_cast<long>(st.st_size);
      } else {
        written.back().sizes.push_back(static_cast<long>(st.st_size));
      }
    }
    closedir(dir);
    std::sort(written.back().sizes.begin(), written.back().sizes.end());
  }
  return written;
}

// An 8.3 name: a base of 1..8 characters and an extension of at most 3,
// ASCII, no blank, at most one dot.
bool IsShortName(const std::string& name) {
  size_t dot = name.rfind('.');
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == ' ') return false;
  }
  return base.find('.') == std::string::npos;
}

bool WritePlan(const char* path, const std::vector<Written>& written) {
  std::FILE* file = std::fopen(path, "w");
  if (file == nullptr) return false;
  for (const Written& folder : written) {
    for (size_t f = 0; f < folder.sizes.size(); ++f) {
      std::fprintf(file, f ? " %ld" : "%ld", folder.sizes[f]);
    }
    if (folder.logSize >= 0)
      std::fprintf(file, folder.sizes.empty() ? "L%ld" : " L%ld", folder.logSize);
    std::fputc('\n', file);
  }
  return std::fclose(file) == 0;
}

bool ReadPlan(const char* path, std::vector<Written>& written) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) return false;
  written.emplace_back();
  long size = 0;
  bool inNumber = false;
  bool log = false;
  auto end = [&] {
    if (inNumber && log) written.back().logSize = size;
    if (inNumber && !log) written.back().sizes.push_back(size);
    inNumber = log = false;
  };
  for (int c; (c = std::fgetc(file)) != EOF;) {
    if (c >= '0' && c <= '9') {
      size = (inNumber ? size * 10 : 0) + (c - '0');
      inNumber = true;
      continue;
    }
    end();
    if (c == 'L') log = true;
    if (c == '\n') written.emplace_back();
  }
  end();
  std::fclose(file);
  return true;
}

void Report(const char* step, const Clock& start, const Clock& end, long count) {
  std::printf("floor %-8s %8.3f s wall %8.3f s cpu  (%ld)\n", step, end.wall - start.wall,
              end.cpu - start.cpu, count);
}

}  // namespace

int main(int argc, char** argv) {
  bool plan = argc == 4 && std::strcmp(argv[1], "--plan") == 0;
  bool fromPlan = argc == 4 && std::strcmp(argv[1], "--from") == 0;
  if (argc != 3 && !plan && !fromPlan) {
    std::fputs(
        "usage: bench-io-floor PREPARED-CARD FRESH-CARD\n"
        "       bench-io-floor --plan PREPARED-CARD PLAN\n"
        "       bench-io-floor --from PLAN FRESH-CARD\n",
        stderr);
    return 2;
  }
  std::string fresh = argv[argc - 1];

  // Not timed: what cardprep wrote into the prepared card.
  std::vector<Written> sizes;
  if (fromPlan) {
    if (!ReadPlan(argv[2], sizes)) {
      std::perror(argv[2]);
      return 1;
    }
  } else {
    std::vector<Folder> preparedFolders;
    ListTree(argv[argc - 2], "", preparedFolders);
    sizes = WrittenSizes(argv[argc - 2], preparedFolders);
  }
  if (plan) {
    if (WritePlan(argv[3], sizes)) return 0;
    std::perror(argv[3]);
    return 1;
  }
  long biggest = 0;
  for (const Written& folder : sizes) {
    for (long size : folder.sizes) biggest = std::max(biggest, size);
    biggest = std::max(biggest, folder.logSize);
  }
  std::vector<char> data(static_cast<size_t>(biggest) + 1, 0x5A);

  Clock start = Now();

  // 1. Listing.
  std::vector<Folder> folders;
  ListTree(fresh, "", folders);
  Clock listed = Now();
  long mp3Count = 0;
  for (const Folder& folder : folders) mp3Count += static_cast<long>(folder.mp3s.size());
  Report("list", start, listed, static_cast<long>(folders.size()));

  // 2. The first 1024 bytes of every MP3 file.
  char head[1024];
  for (const Folder& folder : folders) {
    for (const std::string& name : folder.mp3s) {
      std::string path = fresh + "/" + Join(folder.path, name);
      int fd = open(path.c_str(), O_RDONLY);
      if (fd < 0) continue;
      if (read(fd, head, sizeof head) < 0) std::perror(path.c_str());
      close(fd);
    }
  }
  Clock read = Now();
  Report("read", listed, read, mp3Count);

  // 3. The card data: folder k of the fresh card gets as many files and
  // bytes as folder k of the prepared card holds besides its MP3 files.
  long files = 0;
  long bytes = 0;
  for (size_t k = 0; k < folders.size() && k < sizes.size(); ++k) {
    const std::vector<long>& folderSizes = sizes[k].sizes;
    for (size_t f = 0; f < folderSizes.size(); ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "W%03zu.DAT", f);
      std::string path = fresh + "/" + Join(folders[k].path, name);
      int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0) {
        std::perror(path.c_str());
        continue;
      }
      if (write(fd, data.data(), static_cast<size_t>(folderSizes[f])) != folderSizes[f]) {
        std::perror(path.c_str());
      }
      close(fd);
      ++files;
      bytes += folderSizes[f];
    }
  }
  Clock wrote = Now();
  Report("write", read, wrote, files);

  // 4. Every MP3 file renamed once, then every folder that is no 8.3 name,
  // deepest first so that the paths above stay valid.
  long renamed = 0;
  for (size_t k = 0; k < folders.size(); ++k) {
    const Folder& folder = folders[k];
    long logSize = k < sizes.size() ? sizes[k].logSize : -1;
    int log = -1;
    if (logSize >= 0) {
      std::string path = fresh + "/" + Join(folder.path, "RENFIL04.LOG");
      log = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
      if (log < 0) std::perror(path.c_str());
    }
    long moves = static_cast<long>(folder.mp3s.size());
    long left = logSize;
    int n = 0;
    for (const std::string& name : folder.mp3s) {
      char newName[32];
      std::snprintf(newName, sizeof newName, "%03d.MP3", ++n);
      std::string from = fresh + "/" + Join(folder.path, name);
      std::string to = fresh + "/" + Join(folder.path, newName);
      if (rename(from.c_str(), to.c_str()) != 0) std::perror(from.c_str());
      ++renamed;
      // This move's line: the log's bytes spread over the moves.
      long line = n == moves ? left : logSize / moves;
      if (log >= 0 && line > 0 && write(log, data.data(), static_cast<size_t>(line)) != line) {
        std::perror("RENFIL04.LOG");
      }
      left -= line;
    }
    if (log >= 0) {
      if (moves == 0 && logSize > 0 &&
          write(log, data.data(), static_cast<size_t>(logSize)) != logSize) {
        std::perror("RENFIL04.LOG");
      }
      close(log);
      ++files;
      bytes += logSize;
    }
  }
  for (size_t k = folders.size(); k-- > 1;) {
    const std::string& path = folders[k].path;
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (IsShortName(name)) continue;
    char newName[32];
    std::snprintf(newName, sizeof newName, "D%05zu", k);
    std::string parent = slash == std::string::npos ? "" : path.substr(0, slash);
    std::string from = fresh + "/" + path;
    std::string to = fresh + "/" + Join(parent, newName);
    if (rename(from.c_str(), to.c_str()) != 0) std::perror(from.c_str());
    ++renamed;
  }
  Clock end = Now();
  Report("rename", wrote, end, renamed);
  std::printf("floor total    %8.3f s wall %8.3f s cpu  (%ld files, %ld bytes written)\n",
              end.wall - start.wall, end.cpu - start.cpu, files, bytes);
  return 0;
}
