#pragma once
// The tables and optional records of the settings records own their elements through pointers,
// so an element keeps its address while its table grows. Both copy deeply, so that a record
// holding them copies as a whole without a hand-written list of its fields: a field added to a
// record can never be left out of its copies.

#include <memory>
#include <utility>
#include <vector>

// Copy assignment that leaves the target as it was when the copy runs out of memory: the copy
// is made first and then moved in. T needs a move assignment.
template <class T>
T& KstAssignCopy(T& target, const T& source)
{
    if (&target != &source) {
        T copy(source);
        target = std::move(copy);
    }
    return target;
}

// Entries are never null. A copy holds copies of the elements, in the same order.
template <class T>
class KstOwnedTable : public std::vector<std::unique_ptr<T>> {
    using Base = std::vector<std::unique_ptr<T>>;

public:
    KstOwnedTable() = default;
    KstOwnedTable(const KstOwnedTable& other) : Base()
    {
        this->reserve(other.size());
        for (const std::unique_ptr<T>& element : other) {
            this->push_back(std::make_unique<T>(*element));
        }
    }
    KstOwnedTable(KstOwnedTable&&) noexcept = default;
    KstOwnedTable& operator=(const KstOwnedTable& other) { return KstAssignCopy(*this, other); }
    KstOwnedTable& operator=(KstOwnedTable&&) noexcept = default;
};

// An optional record; a copy holds a copy of the record, or none.
template <class T>
class KstOwnedRecord : public std::unique_ptr<T> {
    using Base = std::unique_ptr<T>;

public:
    KstOwnedRecord() = default;
    KstOwnedRecord(Base record) noexcept : Base(std::move(record)) {}
    KstOwnedRecord(const KstOwnedRecord& other)
        : Base(other ? std::make_unique<T>(*other) : nullptr)
    {
    }
    KstOwnedRecord(KstOwnedRecord&&) noexcept = default;
    KstOwnedRecord& operator=(const KstOwnedRecord& other) { return KstAssignCopy(*this, other); }
    KstOwnedRecord& operator=(KstOwnedRecord&&) noexcept = default;
    KstOwnedRecord& operator=(Base record) noexcept
    {
        Base::operator=(std::move(record));
        return *this;
    }
};

// Appends a copy of `source`, or a default element when it is null; returns the new index.
template <class T>
int AppendOwned(KstOwnedTable<T>& table, const T* source)
{
    table.push_back(source != nullptr ? std::make_unique<T>(*source) : std::make_unique<T>());
    return static_cast<int>(table.size()) - 1;
}
