// dovan-benchmark: how fast `dovan convert` turns a large store into each format, against the plain cost of
// reading the same store and writing as many bytes (cat into a file), with a warm cache.
//
//   build/tools/dovan-benchmark [--size-mb N] [--runs N] [--dir DIR] [--dovan PATH] [--formats LIST]
//                               [--remove-store]
//
// The store (about 1 GiB by default) is written once into DIR/store and kept for the next run, unless
// --remove-store is given; the outputs of the runs are kept until all have been timed, then removed.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/benchmark/synthetic_store.h"
#include "tools/benchmark/timed_command.h"

namespace {

namespace fs = std::filesystem;

struct Options {
    uint64_t size_mb = 1024;
    int runs = 5;
    std::string dir;
    std::string dovan;
    std::vector<std::string> formats = {"mbox", "eml", "eml-subject", "bmf"};
    bool remove_store = false;
};

// What one timed case is: a name for the table, the format and setting handed to dovan.
struct Case {
    std::string name;
    std::string format;   // empty: the cat baseline
    std::string setting;  // empty: the format's default
};

struct Timing {
    bool ok = true;
    int runs = 0;           // timed so far
    double seconds = 0;     // the best run
    double cpu_seconds = 0; // of that run
    uint64_t peak_kib = 0;  // the largest of all runs
};

void Usage()
{
    std::fprintf(stderr,
                 "usage: dovan-benchmark [--size-mb N] [--runs N] [--dir DIR] [--dovan PATH] [--formats LIST] "
                 "[--remove-store]\n"
                 "  LIST: comma-separated of mbox, eml, eml-subject, bmf (default all)\n");
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = std::min(text.find(',', start), text.size());
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--size-mb" && has_value) {
            options.size_mb = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--runs" && has_value) {
            options.runs = std::atoi(argv[++i]);
        } else if (arg == "--dir" && has_value) {
            options.dir = argv[++i];
        } else if (arg == "--dovan" && has_value) {
            options.dovan = argv[++i];
        } else if (arg == "--formats" && has_value) {
            options.formats = SplitList(argv[++i]);
        } else if (arg == "--remove-store") {
            options.remove_store = true;
        } else {
            return false;
        }
    }
    // The fixture writer keeps each file below 4 GiB; the largest folder takes 40 % of the store.
    return options.size_mb >= 1 && options.size_mb <= 8192 && options.runs >= 1;
}

// The build tree holds this tool in tools/ and the program in bin/; scratch data goes beside them.
std::string BuildDirectory()
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().parent_path().string();
}

bool MakeCases(const Options& options, std::vector<Case>& cases)
{
    cases.push_back({"cat (baseline)", "", ""});
    for (const std::string& name : options.formats) {
        if (name == "mbox" || name == "eml" || name == "bmf" || name == "maildir") {
            cases.push_back({name, name, ""});
        } else if (name == "eml-subject") {
            cases.push_back({name, "eml", "subject"});
        } else {
            std::fprintf(stderr, "unknown format: %s\n", name.c_str());
            return false;
        }
    }
    return true;
}

uint64_t FreeBytes(const std::string& path)
{
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0) return 0;
    return uint64_t(info.f_bavail) * info.f_frsize;
}

// Writes the store in a child process: a forked child starts with the parent's resident memory, which would
// otherwise show up in every timed program's peak.
bool WriteStoreApart(const std::string& dir, uint64_t target)
{
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        bench::StoreSummary summary;
        _exit(bench::PrepareStore(dir, target, summary) ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Reads every store file once so that each timed case finds the store in the page cache.
void WarmCache(const std::vector<std::string>& files)
{
    std::vector<char> buffer(1 << 16);
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        }
    }
}

// Touches `bytes` of fresh memory and gives it back. A virtual machine may hand the memory its system frees
// back to the host, and the first touch of such a page then costs more than the work being timed; right after
// this, the pages a run takes for its output are ready, as they are on a machine of its own.
void ReadyMemory(uint64_t bytes)
{
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return;
    for (uint64_t at = 0; at < bytes; at += 4096) static_cast<volatile char*>(block)[at] = 1;
    munmap(block, bytes);
}

// The count in dovan's closing line "N message(s) were converted.", or -1.
long long ConvertedCount(const std::string& log_path)
{
    std::ifstream in(log_path);
    std::string line;
    long long count = -1;
    while (std::getline(in, line)) {
        size_t at = line.find(" message(s) were converted.");
        if (at != std::string::npos) count = std::atoll(line.c_str());
    }
    return count;
}

// Every output is kept until the end: on a file system without a journal, ext4 passes over inodes freed within
// the last minutes, one by one, when it creates files, so deleting 20,000 messages between runs would slow the
// next runs' file creation severalfold and time the file system instead of the conversion. For the same
// reason the outputs' folder is marked as the top of a hierarchy (where the file system knows the mark): each
// run's folder then goes to a part of the disk of its own, away from the files an earlier benchmark deleted.
void PrepareOutputsFolder(const std::string& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0) return;
    int flags = 0;
    if (ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0) {
        flags |= FS_TOPDIR_FL;
        ioctl(folder, FS_IOC_SETFLAGS, &flags);
    }
    close(folder);
}

// One run of one case, into a new folder `out_dir`. False when the run failed (said on stderr).
bool TimeOnce(const Case& one, const Options& options, const std::string& store_dir,
              const std::vector<std::string>& files, uint32_t expected_messages, uint64_t expected_bytes,
              const std::string& out_dir, Timing& timing)
{
    std::string log = options.dir + "/dovan.log";
    std::error_code error;
    fs::create_directories(out_dir, error);
    sync();  // every case starts without the previous one's writes pending
    WarmCache(files);
    ReadyMemory(expected_bytes + expected_bytes / 4);

    bench::CommandResult result;
    if (one.format.empty()) {
        std::vector<std::string> argv = {"cat"};
        argv.insert(argv.end(), files.begin(), files.end());
        result = bench::RunTimed(argv, out_dir + "/baseline");
    } else {
        std::vector<std::string> argv = {options.dovan, "convert", "--format", one.format, "--on-error", "abort"};
        if (!one.setting.empty()) argv.insert(argv.end(), {"--setting", one.setting});
        argv.push_back(store_dir);
        argv.push_back(fs::absolute(out_dir).string());
        result = bench::RunTimed(argv, log);
    }
    long long converted = one.format.empty() ? expected_messages : ConvertedCount(log);
    if (!result.started || result.exit_status != 0 || converted != expected_messages) {
        std::fprintf(stderr, "%s: run failed (exit status %d, %lld of %u messages converted; see %s)\n",
                     one.name.c_str(), result.exit_status, converted, expected_messages, log.c_str());
        return false;
    }
    if (timing.runs == 0 || result.seconds < timing.seconds) {
        timing.seconds = result.seconds;
        timing.cpu_seconds = result.cpu_seconds;
    }
    ++timing.runs;
    timing.peak_kib = std::max(timing.peak_kib, result.peak_kib);
    return true;
}

// The goals: mbox and bmf within 1.5 times the baseline, eml at 20,000 messages a second, and every
// conversion below 64 MiB whatever the store's size.
const char* Verdict(const Case& one, double ratio, double messages_per_second, uint64_t peak_kib)
{
    if (one.format.empty()) return "";
    bool met = peak_kib < 64 * 1024;
    if (one.format == "eml")
        met = met && messages_per_second >= 20000;
    else
        met = met && ratio <= 1.5;
    return met ? "met" : "MISSED";
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    std::string build = BuildDirectory();
    if (options.dir.empty()) options.dir = build + "/benchmark";
    if (options.dovan.empty()) options.dovan = build + "/bin/dovan";
    std::vector<Case> cases;
    if (!MakeCases(options, cases)) return 2;
    if (access(options.dovan.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "no dovan program at %s (build it, or name it with --dovan)\n", options.dovan.c_str());
        return 1;
    }

    std::error_code error;
    fs::create_directories(options.dir, error);
    fs::remove_all(options.dir + "/spent", error);  // left by a run that was interrupted
    uint64_t target = options.size_mb << 20;
    // Room for the store (unless it is there already) and for every output kept until the end, with a margin.
    uint64_t kept = 1 + cases.size() * uint64_t(options.runs);
    uint64_t needed = target / 4 * 5 * kept + (fs::exists(options.dir + "/store.stamp") ? 0 : target);
    if (FreeBytes(options.dir) < needed) {
        std::fprintf(stderr, "not enough free space in %s: %" PRIu64 " MB needed\n", options.dir.c_str(),
                     needed >> 20);
        return 1;
    }

    bench::StoreSummary store;
    if (!WriteStoreApart(options.dir, target) || !bench::PrepareStore(options.dir, target, store)) return 1;
    std::string store_dir = fs::absolute(options.dir + "/store").string();
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(store_dir)) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    WarmCache(files);

    double mib = double(store.bytes) / (1 << 20);
    std::printf("Store: %u folders, %u messages, %.1f MiB in %s\n", store.folders, store.messages, mib,
                store_dir.c_str());
    std::printf("Best of %d run(s) each, the cases taking turns, warm cache; peak memory of the process.\n",
                options.runs);
    std::fflush(stdout);

    std::string cleanup_mark = options.dir + "/last-cleanup";
    if (fs::exists(cleanup_mark, error)) {
        auto age = fs::file_time_type::clock::now() - fs::last_write_time(cleanup_mark, error);
        if (!error && age < std::chrono::minutes(5))
            std::printf("Note: the last benchmark deleted its outputs less than 5 minutes ago; creating many files\n"
                        "may be slow until then (see README).\n");
    }

    // Round after round of every case, so that a machine whose speed drifts (other work, memory handed back to
    // a virtual machine's host) weighs on every case alike.
    std::vector<Timing> timings(cases.size());
    PrepareOutputsFolder(options.dir + "/spent");
    int spent = 0;
    for (int round = 0; round < options.runs; ++round) {
        std::fprintf(stderr, "round %d of %d ...\n", round + 1, options.runs);
        for (size_t i = 0; i < cases.size(); ++i) {
            if (!timings[i].ok) continue;
            std::string out_dir = options.dir + "/spent/" + std::to_string(++spent);
            timings[i].ok =
                TimeOnce(cases[i], options, store_dir, files, store.messages, store.bytes, out_dir, timings[i]);
        }
    }

    std::printf("\n%-16s %9s %9s %9s %10s %11s %10s  %s\n", "case", "seconds", "cpu s", "MiB/s", "messages/s",
                "x baseline", "peak MiB", "goal");
    std::fflush(stdout);

    bool all_ok = true;
    double baseline = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& one = cases[i];
        const Timing& timing = timings[i];
        if (!timing.ok) {
            all_ok = false;
            continue;
        }
        if (one.format.empty()) baseline = timing.seconds;
        double ratio = baseline > 0 ? timing.seconds / baseline : 0;
        double per_second = timing.seconds > 0 ? store.messages / timing.seconds : 0;
        char messages[32] = "-";
        if (!one.format.empty()) std::snprintf(messages, sizeof messages, "%.0f", per_second);
        std::printf("%-16s %9.3f %9.3f %9.1f %10s %11.2f %10.1f  %s\n", one.name.c_str(), timing.seconds,
                    timing.cpu_seconds, timing.seconds > 0 ? mib / timing.seconds : 0, messages, ratio,
                    timing.peak_kib / 1024.0, Verdict(one, ratio, per_second, timing.peak_kib));
        std::fflush(stdout);
    }
    std::printf("\nGoals: mbox and bmf within 1.5 x baseline, eml at least 20000 messages/s, below 64 MiB.\n");

    fs::remove_all(options.dir + "/spent", error);
    std::ofstream(cleanup_mark) << "outputs deleted\n";
    if (options.remove_store) fs::remove_all(options.dir, error);
    return all_ok ? 0 : 1;
}
