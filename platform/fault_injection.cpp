// Planned failures of the platform layer: the plan's syntax and when it is read are told in fault_injection.h.
#include "platform/fault_injection.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

struct NamedError {
    const char* name;
    ErrorCode code;
};

// The names mean the same failure everywhere; each platform has its own number for it.
#ifdef _WIN32
constexpr NamedError kNamedErrors[] = {
    {"ENOSPC", 112},  // ERROR_DISK_FULL
    {"EACCES", 5},    // ERROR_ACCESS_DENIED
    {"EIO", 1117},    // ERROR_IO_DEVICE
    {"EROFS", 19},    // ERROR_WRITE_PROTECT
};
#else
constexpr NamedError kNamedErrors[] = {
    {"ENOSPC", ENOSPC},
    {"EACCES", EACCES},
    {"EIO", EIO},
    {"EROFS", EROFS},
};
#endif

bool ParseNumber(const std::string& text, uint32_t& value)
{
    if (text.empty() || text.size() > 10) return false;
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number > UINT32_MAX) return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool ParseOperation(const std::string& name, FaultRule& rule)
{
    if (name == "write" || name == "short-write") {
        rule.operation = FaultOperation::Write;
        rule.partial_write = name == "short-write";
    } else if (name == "create") {
        rule.operation = FaultOperation::CreateFile;
    } else if (name == "mkdir") {
        rule.operation = FaultOperation::CreateDir;
    } else if (name == "rename") {
        rule.operation = FaultOperation::Rename;
    } else if (name == "close") {
        rule.operation = FaultOperation::Close;
    } else if (name == "truncate") {
        rule.operation = FaultOperation::Truncate;
    } else {
        return false;
    }
    return true;
}

// "N", "N-M" or "N+"; calls are counted from 1.
bool ParseCalls(const std::string& calls, FaultRule& rule)
{
    if (!calls.empty() && calls.back() == '+') {
        rule.last_call = UINT32_MAX;
        return ParseNumber(calls.substr(0, calls.size() - 1), rule.first_call) && rule.first_call >= 1;
    }
    size_t dash = calls.find('-');
    if (dash == std::string::npos) {
        if (!ParseNumber(calls, rule.first_call) || rule.first_call < 1) return false;
        rule.last_call = rule.first_call;
        return true;
    }
    return ParseNumber(calls.substr(0, dash), rule.first_call) && ParseNumber(calls.substr(dash + 1), rule.last_call) &&
           rule.first_call >= 1 && rule.last_call >= rule.first_call;
}

bool ParseRule(const std::string& text, FaultRule& rule)
{
    size_t first = text.find(':');
    if (first == std::string::npos) return false;
    size_t second = text.find(':', first + 1);
    if (second == std::string::npos) return false;
    return ParseOperation(text.substr(0, first), rule) &&
           ParseCalls(text.substr(first + 1, second - first - 1), rule) &&
           FaultErrorCode(text.substr(second + 1), rule.code);
}

// The plan in force in this copy of the platform layer. Guarded by a spin lock rather than std::mutex, which
// some Windows toolchains lack; it is held only while a plan is armed or read.
struct FaultPlan {
    std::atomic_flag busy = ATOMIC_FLAG_INIT;
    std::atomic<bool> read{false};   // the variable has been read at least once
    std::atomic<bool> armed{false};  // the plan holds at least one rule
    std::string text;                // the variable's text the plan was read from
    std::vector<FaultRule> rules;
    uint32_t calls[kFaultOperationCount] = {};
};

FaultPlan& ThePlan()
{
    static FaultPlan plan;
    return plan;
}

class PlanLock {
public:
    explicit PlanLock(FaultPlan& plan) : plan_(plan)
    {
        while (plan_.busy.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~PlanLock() { plan_.busy.clear(std::memory_order_release); }
    PlanLock(const PlanLock&) = delete;
    PlanLock& operator=(const PlanLock&) = delete;

private:
    FaultPlan& plan_;
};

// Takes up the variable when it has changed. Called with the plan locked.
void RefreshPlan(FaultPlan& plan)
{
    const char* value = std::getenv(kFaultPlanVariable);
    if (!value) value = "";
    if (plan.read.load() && plan.text == value) return;  // compared in place: this runs once per file made
    plan.text = value;
    plan.rules.clear();
    for (uint32_t& count : plan.calls) count = 0;
    std::string bad_rule;
    if (!ParseFaultPlan(value, plan.rules, bad_rule))
        std::fprintf(stderr, "%s: cannot read the rule \"%s\"\n", kFaultPlanVariable, bad_rule.c_str());
    plan.armed.store(!plan.rules.empty());
    plan.read.store(true);
}

}  // namespace

bool FaultErrorCode(const std::string& name, ErrorCode& code)
{
    for (const NamedError& known : kNamedErrors) {
        if (name == known.name) {
            code = known.code;
            return true;
        }
    }
    uint32_t number = 0;
    if (!ParseNumber(name, number) || number == 0) return false;
    code = number;
    return true;
}

bool ParseFaultPlan(const char* text, std::vector<FaultRule>& rules, std::string& bad_rule)
{
    bool all_read = true;
    std::string rest = text ? text : "";
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string item = rest.substr(0, comma);
        rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
        if (item.empty()) continue;
        FaultRule rule;
        if (ParseRule(item, rule)) {
            rules.push_back(rule);
        } else if (all_read) {
            all_read = false;
            bad_rule = item;
        }
    }
    return all_read;
}

FaultDecision CheckFault(FaultOperation operation)
{
    FaultPlan& plan = ThePlan();
    bool reread = operation != FaultOperation::Write;
    // The common case, no plan and a plain write, costs two atomic reads.
    if (!reread && plan.read.load() && !plan.armed.load()) return {};

    PlanLock lock(plan);
    if (reread || !plan.read.load()) RefreshPlan(plan);
    if (plan.rules.empty()) return {};
    uint32_t& count = plan.calls[static_cast<int>(operation)];
    if (count < UINT32_MAX) ++count;
    for (const FaultRule& rule : plan.rules) {
        if (rule.operation != operation || count < rule.first_call || count > rule.last_call) continue;
        SetLastError(rule.code);
        return {true, rule.partial_write};
    }
    return {};
}

}  // namespace platform
