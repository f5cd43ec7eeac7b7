// dovan-benchmark: how fast `dovan convert` turns a large store into each format, on the store in two layouts
// (in order, and with the blocks of each message scattered over the file), with a warm cache and with a cold one,
// against the plain cost of copying the same files through user space.
//
//   build/tools/dovan-benchmark [--size-mb N] [--runs N] [--dir DIR] [--dovan PATH] [--formats LIST]
//                               [--no-cold] [--remove-store]
//
// The store (about 1 GiB by default) is written once into DIR/store and DIR/scattered and kept for the next
// run, unless --remove-store is given. The cold cases drop the system's caches before each run, which needs
// root; without it they are skipped (and said so).
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
#include <map>
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
    std::vector<std::string> formats = {"mbox", "mbox-recover", "eml", "eml-subject", "bmf", "maildir"};
    bool cold = true;
    bool remove_store = false;
};

// What is timed. A conversion's goals come with its format; the references are timed the same way.
enum class Kind { Copy, Cat, TarExtract, Convert };

struct Format {
    const char* name;
    const char* format;      // handed to dovan --format
    const char* setting;     // handed to dovan --setting; empty: the format's default
    bool many_files;         // its output is a file per message: compared with tar -x, kept until the end
    const char* extra = "";  // one more argument for dovan convert; empty: none
    // The conversion without `extra`, whose time this case adds to (less than one copy of the store, the
    // time of one sequential read of it); null when it adds nothing to compare.
    const Format* adds_to = nullptr;
};

// The conversions the benchmark knows; --formats picks among them. New writers add a line here.
const Format kFormats[] = {
    {"mbox", "mbox", "", false},
    {"eml", "eml", "", true},
    {"eml-subject", "eml", "subject", true},
    {"bmf", "bmf", "", false},
    {"maildir", "maildir", "", true},
    // Recovery looks through the whole store once more after the conversion.
    {"mbox-recover", "mbox", "", false, "--recover", &kFormats[0]},
};

enum class Layout { InOrder, Scattered };
enum class Cache { Warm, Cold };

struct Case {
    std::string name;
    Kind kind = Kind::Convert;
    const Format* format = nullptr;  // for Kind::Convert
    Layout layout = Layout::InOrder;
    Cache cache = Cache::Warm;
};

struct Timing {
    bool ok = true;
    std::vector<double> seconds;  // every run, in order
    double best = 0;
    double cpu_seconds = 0;  // of the best run
    uint64_t peak_kib = 0;   // the largest of all runs
};

const char* LayoutName(Layout layout) { return layout == Layout::InOrder ? "in order" : "scattered"; }
const char* CacheName(Cache cache) { return cache == Cache::Warm ? "warm" : "cold"; }

void Usage()
{
    std::fprintf(stderr,
                 "usage: dovan-benchmark [--size-mb N] [--runs N] [--dir DIR] [--dovan PATH] [--formats LIST] "
                 "[--no-cold] [--remove-store]\n"
                 "  LIST: comma-separated of mbox, mbox-recover, eml, eml-subject, bmf, maildir (default all)\n");
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
        } else if (arg == "--no-cold") {
            options.cold = false;
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

// Every case for one cache state: per layout the copy, cat and each format; tar -x once (it reads no store).
bool MakeCases(const Options& options, Cache cache, std::vector<Case>& cases)
{
    std::vector<const Format*> formats;
    for (const std::string& name : options.formats) {
        auto known = std::find_if(std::begin(kFormats), std::end(kFormats),
                                  [&](const Format& format) { return name == format.name; });
        if (known == std::end(kFormats)) {
            std::fprintf(stderr, "unknown format: %s\n", name.c_str());
            return false;
        }
        formats.push_back(known);
    }
    bool any_many_files = std::any_of(formats.begin(), formats.end(), [](const Format* f) { return f->many_files; });
    if (any_many_files) cases.push_back({"tar -x (eml files)", Kind::TarExtract, nullptr, Layout::InOrder, cache});
    for (Layout layout : {Layout::InOrder, Layout::Scattered}) {
        cases.push_back({"copy (baseline)", Kind::Copy, nullptr, layout, cache});
        cases.push_back({"cat", Kind::Cat, nullptr, layout, cache});
        for (const Format* format : formats) cases.push_back({format->name, Kind::Convert, format, layout, cache});
    }
    return true;
}

uint64_t FreeBytes(const std::string& path)
{
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0) return 0;
    return uint64_t(info.f_bavail) * info.f_frsize;
}

// The baseline, run as a program of its own (this one, with --copy): the files read and written through a
// 1 MiB buffer in user space, as `dd bs=1M` does. cat is no floor: it may copy inside the kernel.
int CopyThroughUserSpace(int argc, char** argv)
{
    if (argc < 3) return 2;
    std::vector<char> buffer(1 << 20);
    int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) return 1;
    for (int i = 3; i < argc; ++i) {
        int in = open(argv[i], O_RDONLY | O_CLOEXEC);
        if (in < 0) return 1;
        ssize_t got;
        while ((got = read(in, buffer.data(), buffer.size())) > 0) {
            for (ssize_t done = 0; done < got;) {
                ssize_t written = write(out, buffer.data() + done, size_t(got - done));
                if (written <= 0) return 1;
                done += written;
            }
        }
        close(in);
        if (got < 0) return 1;
    }
    return close(out) == 0 ? 0 : 1;
}

// Drops the system's caches (root only): the next run reads the store from the disk.
bool DropCaches()
{
    sync();
    int control = open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    if (control < 0) return false;
    bool dropped = write(control, "3", 1) == 1;
    close(control);
    return dropped;
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

// The store's files in one layout, and where they lie.
struct StoreFiles {
    std::string dir;
    std::vector<std::string> files;
};

StoreFiles ListStore(const std::string& dir)
{
    StoreFiles store{fs::absolute(dir).string(), {}};
    for (const fs::directory_entry& entry : fs::directory_iterator(store.dir)) store.files.push_back(entry.path());
    std::sort(store.files.begin(), store.files.end());
    return store;
}

// What every run needs besides its case.
struct Bench {
    Options options;
    std::string self;  // this program, for the copy baseline
    std::map<Layout, StoreFiles> stores;
    std::string tar;  // an archive of one eml conversion's output, for tar -x
    uint32_t messages = 0;
    uint64_t bytes = 0;
};

bench::CommandResult RunDovan(const Bench& bench, const Format& format, const std::string& store_dir,
                              const std::string& out_dir, const std::string& log)
{
    std::vector<std::string> argv = {bench.options.dovan, "convert", "--format", format.format, "--on-error", "abort"};
    if (*format.setting) argv.insert(argv.end(), {"--setting", format.setting});
    if (*format.extra) argv.push_back(format.extra);
    argv.push_back(store_dir);
    argv.push_back(fs::absolute(out_dir).string());
    return bench::RunTimed(argv, log);
}

// One run of one case, into a new folder `out_dir`. False when the run failed (said on stderr).
bool TimeOnce(const Case& one, const Bench& bench, const std::string& out_dir, Timing& timing)
{
    const StoreFiles& store = bench.stores.at(one.layout);
    std::string log = bench.options.dir + "/dovan.log";
    std::error_code error;
    fs::create_directories(out_dir, error);
    if (one.cache == Cache::Warm) {
        sync();  // every case starts without the previous one's writes pending
        WarmCache(store.files);
        if (one.kind == Kind::TarExtract) WarmCache({bench.tar});
    } else if (!DropCaches()) {
        std::fprintf(stderr, "%s: cannot drop the caches\n", one.name.c_str());
        return false;
    }
    ReadyMemory(bench.bytes + bench.bytes / 4);

    bench::CommandResult result;
    long long converted = bench.messages;
    if (one.kind == Kind::Copy) {
        std::vector<std::string> argv = {bench.self, "--copy", out_dir + "/copy"};
        argv.insert(argv.end(), store.files.begin(), store.files.end());
        result = bench::RunTimed(argv, log);
    } else if (one.kind == Kind::Cat) {
        std::vector<std::string> argv = {"cat"};
        argv.insert(argv.end(), store.files.begin(), store.files.end());
        result = bench::RunTimed(argv, out_dir + "/cat");
    } else if (one.kind == Kind::TarExtract) {
        result = bench::RunTimed({"tar", "-x", "-f", bench.tar, "-C", out_dir}, log);
    } else {
        result = RunDovan(bench, *one.format, store.dir, out_dir, log);
        converted = ConvertedCount(log);
    }
    if (!result.started || result.exit_status != 0 || converted != bench.messages) {
        std::fprintf(stderr, "%s: run failed (exit status %d, %lld of %u messages converted; see %s)\n",
                     one.name.c_str(), result.exit_status, converted, bench.messages, log.c_str());
        return false;
    }
    timing.seconds.push_back(result.seconds);
    if (timing.seconds.size() == 1 || result.seconds < timing.best) {
        timing.best = result.seconds;
        timing.cpu_seconds = result.cpu_seconds;
    }
    timing.peak_kib = std::max(timing.peak_kib, result.peak_kib);
    return true;
}

// The archive tar -x extracts: the files of one eml conversion of the store, as many and as large as the
// eml cases write.
bool MakeTar(Bench& bench)
{
    std::string source = bench.options.dir + "/tar-source";
    std::error_code error;
    fs::remove_all(source, error);
    fs::create_directories(source, error);
    bench.tar = bench.options.dir + "/eml.tar";
    bench::CommandResult converted =
        RunDovan(bench, kFormats[1], bench.stores.at(Layout::InOrder).dir, source, bench.options.dir + "/dovan.log");
    bench::CommandResult archived =
        bench::RunTimed({"tar", "-c", "-f", bench.tar, "-C", source, "."}, bench.options.dir + "/tar.log");
    fs::remove_all(source, error);
    if (converted.exit_status == 0 && archived.exit_status == 0) return true;
    std::fprintf(stderr, "cannot make %s for the tar -x reference\n", bench.tar.c_str());
    return false;
}

// The goals, and which of them a case missed ("" when it met all; references have none).
struct Goals {
    const std::vector<Case>& cases;
    const std::vector<Timing>& timings;

    const Timing* Find(Kind kind, const Format* format, Layout layout, Cache cache) const
    {
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case& other = cases[i];
            if (other.kind == kind && other.format == format && other.layout == layout && other.cache == cache &&
                timings[i].ok)
                return &timings[i];
        }
        return nullptr;
    }

    std::string Missed(const Case& one, const Timing& timing) const
    {
        if (one.kind != Kind::Convert) return "";
        std::string missed;
        if (timing.peak_kib >= 64 * 1024) missed += " memory";
        const Timing* in_order = Find(Kind::Convert, one.format, Layout::InOrder, one.cache);
        if (one.layout == Layout::Scattered && in_order && timing.best > 1.3 * in_order->best) missed += " layout";
        const Timing* copy = Find(Kind::Copy, nullptr, one.layout, one.cache);
        if (!one.format->many_files && copy && timing.best > 2 * copy->best) missed += " 2x-copy";
        const Timing* tar = Find(Kind::TarExtract, nullptr, Layout::InOrder, one.cache);
        if (one.format->many_files && tar && timing.best > tar->best) missed += " tar-x";
        const Timing* without_extra =
            one.format->adds_to ? Find(Kind::Convert, one.format->adds_to, one.layout, one.cache) : nullptr;
        if (without_extra && copy && timing.best - without_extra->best > copy->best) missed += " extra>copy";
        return missed.empty() ? "met" : "MISSED:" + missed;
    }
};

std::string RunList(const Timing& timing)
{
    std::string list;
    for (double seconds : timing.seconds) {
        char one[16];
        std::snprintf(one, sizeof one, "%s%.2f", list.empty() ? "" : " ", seconds);
        list += one;
    }
    return list;
}

void PrintTable(const Bench& bench, const std::vector<Case>& cases, const std::vector<Timing>& timings)
{
    Goals goals{cases, timings};
    std::printf("\n%-19s %-9s %-4s %8s %-18s %8s %8s %10s %9s  %s\n", "case", "layout", "disk", "best s", "runs s",
                "cpu s", "x copy", "x in order", "peak MiB", "goals");
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& one = cases[i];
        const Timing& timing = timings[i];
        if (!timing.ok) {
            std::printf("%-19s %-9s %-4s   failed\n", one.name.c_str(), LayoutName(one.layout), CacheName(one.cache));
            continue;
        }
        const Timing* copy = goals.Find(Kind::Copy, nullptr, one.layout, one.cache);
        const Timing* in_order = goals.Find(one.kind, one.format, Layout::InOrder, one.cache);
        char to_copy[16] = "-";
        char to_in_order[16] = "-";
        if (copy && one.kind != Kind::TarExtract)
            std::snprintf(to_copy, sizeof to_copy, "%.2f", timing.best / copy->best);
        if (in_order && one.layout == Layout::Scattered)
            std::snprintf(to_in_order, sizeof to_in_order, "%.2f", timing.best / in_order->best);
        std::printf("%-19s %-9s %-4s %8.3f %-18s %8.3f %8s %10s %9.1f  %s\n", one.name.c_str(),
                    one.kind == Kind::TarExtract ? "-" : LayoutName(one.layout), CacheName(one.cache), timing.best,
                    RunList(timing).c_str(), timing.cpu_seconds, to_copy, to_in_order, timing.peak_kib / 1024.0,
                    goals.Missed(one, timing).c_str());
    }
    std::printf(
        "\nGoals: every format on the scattered store within 1.3 x the store in order (layout); mbox and bmf\n"
        "within 2 x the copy on both layouts (2x-copy); eml at least as fast as tar -x of the same files\n"
        "(tar-x); recovery adds less than one copy to the mbox conversion (extra>copy); peak memory below\n"
        "64 MiB (memory). %u messages, %.1f MiB per layout.\n",
        bench.messages, double(bench.bytes) / (1 << 20));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--copy") == 0) return CopyThroughUserSpace(argc, argv);
    Bench bench;
    Options& options = bench.options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    std::string build = BuildDirectory();
    if (options.dir.empty()) options.dir = build + "/benchmark";
    if (options.dovan.empty()) options.dovan = build + "/bin/dovan";
    std::error_code error;
    bench.self = fs::read_symlink("/proc/self/exe", error).string();
    std::vector<Case> cases;
    bool cold = options.cold && geteuid() == 0;
    if (!MakeCases(options, Cache::Warm, cases) || (cold && !MakeCases(options, Cache::Cold, cases))) return 2;
    if (access(options.dovan.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "no dovan program at %s (build it, or name it with --dovan)\n", options.dovan.c_str());
        return 1;
    }

    fs::create_directories(options.dir, error);
    fs::remove_all(options.dir + "/spent", error);  // left by a run that was interrupted
    uint64_t target = options.size_mb << 20;
    // Room for both layouts (unless they are there already), the tar archive, and the outputs of the cases
    // that make a file per message, kept until the end; the others are removed at once.
    uint64_t kept = 2 + 2 * uint64_t(options.runs) * (cold ? 2 : 1) * 3;
    uint64_t needed = target / 4 * 5 * kept + (fs::exists(options.dir + "/store.stamp") ? 0 : 2 * target);
    if (FreeBytes(options.dir) < needed) {
        std::fprintf(stderr, "not enough free space in %s: %" PRIu64 " MB needed\n", options.dir.c_str(), needed >> 20);
        return 1;
    }

    bench::StoreSummary store;
    if (!WriteStoreApart(options.dir, target) || !bench::PrepareStore(options.dir, target, store)) return 1;
    bench.stores[Layout::InOrder] = ListStore(options.dir + "/store");
    bench.stores[Layout::Scattered] = ListStore(options.dir + "/scattered");
    bench.messages = store.messages;
    bench.bytes = store.bytes;
    bool needs_tar =
        std::any_of(cases.begin(), cases.end(), [](const Case& one) { return one.kind == Kind::TarExtract; });
    if (needs_tar && !MakeTar(bench)) return 1;

    std::printf("Store: %u folders, %u messages, %.1f MiB, in order in %s and scattered in %s\n", store.folders,
                store.messages, double(store.bytes) / (1 << 20), bench.stores[Layout::InOrder].dir.c_str(),
                bench.stores[Layout::Scattered].dir.c_str());
    std::printf("%d run(s) of each case, the cases taking turns; peak memory of the process. Cold cases %s.\n",
                options.runs,
                cold           ? "drop the caches before each run"
                : options.cold ? "skipped (they need root)"
                               : "not asked for");
    std::fflush(stdout);

    std::string cleanup_mark = options.dir + "/last-cleanup";
    if (fs::exists(cleanup_mark, error)) {
        auto age = fs::file_time_type::clock::now() - fs::last_write_time(cleanup_mark, error);
        if (!error && age < std::chrono::minutes(5))
            std::printf(
                "Note: the last benchmark deleted its outputs less than 5 minutes ago; creating many files\n"
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
            timings[i].ok = TimeOnce(cases[i], bench, out_dir, timings[i]);
            // Few large files are removed at once; a file per message stays until the end (see above).
            bool many_files = cases[i].kind == Kind::TarExtract || (cases[i].format && cases[i].format->many_files);
            if (!many_files) fs::remove_all(out_dir, error);
        }
    }
    PrintTable(bench, cases, timings);

    fs::remove_all(options.dir + "/spent", error);
    std::ofstream(cleanup_mark) << "outputs deleted\n";
    if (options.remove_store) fs::remove_all(options.dir, error);
    bool all_ok = std::all_of(timings.begin(), timings.end(), [](const Timing& timing) { return timing.ok; });
    return all_ok ? 0 : 1;
}
