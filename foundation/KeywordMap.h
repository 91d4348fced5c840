#pragma once
// A small table of (name, code) pairs looked up both ways, for keyword values of settings.

#include "foundation/String.h"

#include <cstdint>
#include <vector>

class CKSTKeywordMap {
public:
    // Name/value pairs ended by a null name: CKSTKeywordMap("NONE", 0, "FULL", 1, nullptr).
    // The pairs are taken up to the first null name; a null first name gives an empty map.
    template <typename... Rest>
    explicit CKSTKeywordMap(const char* name, Rest... rest)
    {
        AddPairs(name, rest...);
    }

    // Value of the first entry with exactly this name (case-sensitive); 0 when none has it.
    int32_t ValueOf(const CKSTString& name) const;
    // Name of the first entry with this value; empty when none has it.
    CKSTString NameOf(int32_t value) const;

private:
    void AddPairs(const char*) {}
    void AddPairs() {}
    template <typename... Rest>
    void AddPairs(const char* name, int32_t value, Rest... rest)
    {
        if (!name) {
            return;
        }
        m_names.emplace_back(name);
        m_values.push_back(value);
        AddPairs(rest...);
    }

    std::vector<CKSTString> m_names;
    std::vector<int32_t> m_values;
};
