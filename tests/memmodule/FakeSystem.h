// Loader services for tests: real regions from the platform, and recording
// stand-ins for libraries, procedures, resolvers and calls into image code,
// which the tests cannot run natively and need to observe under Wine too.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "memmodule/MemoryModuleSystem.h"

struct FakeSystem {
    struct CodeCall {
        std::uint32_t address;
        std::uint32_t args[10];
    };
    struct Lookup {
        std::uint32_t module;
        std::string name; // "#N" for an ordinal
    };
    struct ResolverCall {
        ImportResolver resolver;
        std::string library;
        std::string function;
        std::int32_t param;
    };

    // Behaviour.
    bool preferredTaken = false;
    bool refuseAllocation = false;
    bool refuseRelease = false;
    std::map<std::string, std::uint32_t> procedures; // name or "#N" -> address
    std::function<std::uint32_t(const std::string& function)> resolver;
    std::uint32_t entryResult = 1;

    // What happened, in order of events for `events`.
    std::vector<std::uint32_t> allocated;
    std::vector<std::uint32_t> released;
    std::vector<std::string> libraries;
    std::vector<Lookup> lookups;
    std::vector<ResolverCall> resolverCalls;
    std::vector<CodeCall> codeCalls;
    std::vector<std::string> events;

    // Regions allocated and not released.
    std::size_t Outstanding() const { return allocated.size() - released.size(); }

    static FakeSystem*& Current();
    static const MemoryModuleSystem& Services();
};

// Puts a FakeSystem in place for the life of the scope.
class FakeSystemScope {
public:
    explicit FakeSystemScope(FakeSystem& fake);
    ~FakeSystemScope();
    FakeSystemScope(const FakeSystemScope&) = delete;
    FakeSystemScope& operator=(const FakeSystemScope&) = delete;
};
