// A system resource closed when its owner goes: a file, a directory stream, a search, a registry key.
#pragma once

namespace vireziriv::platform {

// Holds `value` unless it is `none` (what the call that made it returns on failure), and passes it
// to Close at the end of the owner's scope, however that ends.
template <class T, auto Close>
class Owned {
public:
    Owned(T value, T none) : value_(value), none_(none) {}
    ~Owned() {
        if (valid()) Close(value_);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T get() const { return value_; }
    bool valid() const { return value_ != none_; }

private:
    T value_;
    T none_;
};

}  // namespace vireziriv::platform
