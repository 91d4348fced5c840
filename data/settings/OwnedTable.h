#pragma once
// The tables of the settings records own their elements through pointers, so an element keeps
// its address while its table grows. Entries are never null.

#include <memory>
#include <vector>

template <class T>
using KstOwnedTable = std::vector<std::unique_ptr<T>>;

// A new table of deep copies of every element, in the same order.
template <class T>
KstOwnedTable<T> CopyOwnedTable(const KstOwnedTable<T>& source)
{
    KstOwnedTable<T> copy;
    copy.reserve(source.size());
    for (const std::unique_ptr<T>& element : source) {
        copy.push_back(std::make_unique<T>(*element));
    }
    return copy;
}

// Appends a copy of `source`, or a default element when it is null; returns the new index.
template <class T>
int AppendOwned(KstOwnedTable<T>& table, const T* source)
{
    table.push_back(source != nullptr ? std::make_unique<T>(*source) : std::make_unique<T>());
    return static_cast<int>(table.size()) - 1;
}
