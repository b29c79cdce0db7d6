// The general switch list: the process arguments as /X and /X:value switches, one instance per process.
#pragma once

#include "base/KeyedTextList.h"
#include "base/Persistent.h"
#include "platform/Console.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vireziriv {

namespace test {
struct SwitchesSlot;
}

class TOstrelArgs : public TPersistent {
public:
    ~TOstrelArgs() override = default;
    TOstrelArgs(const TOstrelArgs&) = delete;
    TOstrelArgs& operator=(const TOstrelArgs&) = delete;

    // The process-wide instance: the first call of any class creates it (as that class) and
    // validates it; a creation that raises stores nothing.
    static TOstrelArgs& GetInstance();

    // The public constructor: always raises, so that instances come only from GetInstance.
    [[noreturn]] static std::unique_ptr<TOstrelArgs> Create();

    // The value of the first switch named `name`, case ignored; empty when there is none.
    virtual std::string Values(std::string_view name) const;
    virtual std::string ValueFromIndex(int i) const;
    // The name of switch `i`, or its whole text when the name is empty.
    virtual std::string_view Names(int i) const;

    int Count() const { return switches_.Count(); }
    // True when some switch is named `s` or is `s` as a whole, case ignored.
    bool HasSwitch(std::string_view s) const;

    std::string ClassName() const override { return "TOstrelArgs"; }

protected:
    // An empty list; only the working constructor fills it.
    TOstrelArgs();

    // Checks the switches, once, at the end of the working constructor; nothing to check here.
    virtual void Validate() {}

    // The working constructor, run on a newly made object of the most derived class: takes in the
    // process arguments, then validates.
    virtual void CreateInstance();

    // GetInstance for a class whose objects `make` allocates; a derived class's GetInstance calls it.
    using Maker = std::unique_ptr<TOstrelArgs> (*)();
    static TOstrelArgs& Instance(Maker make);

private:
    // Tests start each case from an empty slot, and give the instance arguments of their own.
    friend struct test::SwitchesSlot;
    static std::unique_ptr<TOstrelArgs>& Slot();
    // Where an instance takes its arguments from: the process, as main recorded them.
    static inline std::vector<std::string> (*arguments_)() = platform::ProcessArguments;

    TKeyedTextList switches_;
};

}  // namespace vireziriv
