// The general switch list: names, values, switch tests and the single process-wide instance.
#include "args/OstrelArgsUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "support/SwitchesSlot.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

namespace vireziriv {
namespace {

// Each test starts with an empty slot and leaves one behind.
class SwitchList : public testing::Test {
protected:
    ~SwitchList() override { test::SwitchesSlot::Reset(); }
    static const TOstrelArgs& With(std::vector<std::string> arguments) {
        test::SwitchesSlot::Reset(std::move(arguments));
        return TOstrelArgs::GetInstance();
    }
};

TEST_F(SwitchList, KeepsTheArgumentsInOrder) {
    const TOstrelArgs& args = With({"/N", "/D:C:\\share", "/Q"});
    ASSERT_EQ(args.Count(), 3);
    EXPECT_EQ(args.Names(0), "/N");
    EXPECT_EQ(args.Names(1), "/D");
    EXPECT_EQ(args.Names(2), "/Q");
    EXPECT_EQ(With({}).Count(), 0);
}

TEST_F(SwitchList, NamesAndValuesSplitAtTheFirstColon) {
    struct Case {
        std::string argument;
        std::string name;
        std::string value;
    };
    const Case cases[] = {
        {"/D:C:\\share", "/D", "C:\\share"},
        {"/D:C:\\My Share\\", "/D", "C:\\My Share\\"},
        {"/D:", "/D", ""},
        {"/Q", "/Q", "Q"},  // no colon: the whole switch is the name; the value is cut one byte in
        {":x", ":x", "x"},  // an empty name: the whole switch again
        {"/D::x", "/D", ":x"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const TOstrelArgs& args = With({c.argument});
        EXPECT_EQ(args.Names(0), c.name) << c.argument;
        EXPECT_EQ(args.ValueFromIndex(0), c.value) << c.argument;
    }
    EXPECT_EQ(With({"/N"}).ValueFromIndex(-1), "");
    EXPECT_THROW(With({"/N"}).Names(1), EListError);
}

TEST_F(SwitchList, ValuesFindsTheFirstSwitchOfANameIgnoringCase) {
    const TOstrelArgs& args = With({"/N", "/d:C:\\share", "/D:C:\\other"});
    EXPECT_EQ(args.Values("/D"), "C:\\share");
    EXPECT_EQ(args.Values("/d"), "C:\\share");
    EXPECT_EQ(args.Values("/N"), "");
    EXPECT_EQ(args.Values("/X"), "");
    EXPECT_EQ(args.Values("D"), "");
}

TEST_F(SwitchList, ValuesIgnoresASwitchWithoutColon) {
    EXPECT_EQ(With({"/D"}).Values("/D"), "");
    EXPECT_EQ(With({"/D", "/D:x"}).Values("/D"), "x");
}

TEST_F(SwitchList, HasSwitchMatchesTheNameOrTheWholeSwitchIgnoringCase) {
    struct Case {
        std::vector<std::string> arguments;
        bool hasQ;
    };
    const Case cases[] = {
        {{"/Q"}, true},          {{"/q"}, true},   {{"/Q:yes"}, true}, {{"/q:"}, true},
        {{"/N", "/Q"}, true},    {{"/QQ"}, false}, {{"/Q/"}, false},   {{"x/Q"}, false},
        {{"/N", "/D:/Q"}, false}, {{}, false},
    };
    for (const Case& c : cases) {
        const TOstrelArgs& args = With(c.arguments);
        EXPECT_EQ(args.HasSwitch("/Q"), c.hasQ) << testing::PrintToString(c.arguments);
    }
    EXPECT_TRUE(With({"/D:x"}).HasSwitch("/d:X"));
}

TEST_F(SwitchList, CreateRefusesWithAPlainException) {
    try {
        TOstrelArgs::Create();
        FAIL() << "Create returned";
    } catch (const EVeltoCommandException&) {
        FAIL() << "a command exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), text::kUseGetInstance);
    }
}

// A command class that counts its validations and can be told to fail one.
class TCountingArgs : public TOstrelArgs {
public:
    static TCountingArgs& GetInstance() {
        return dynamic_cast<TCountingArgs&>(Instance([] { return std::unique_ptr<TOstrelArgs>(new TCountingArgs); }));
    }
    static inline int validations = 0;
    static inline bool failNext = false;

protected:
    void Validate() override {
        ++validations;
        if (failNext) {
            failNext = false;
            throw EVeltoCommandArgsException("refused " + std::to_string(Count()));
        }
    }
};

TEST_F(SwitchList, GetInstanceCreatesOnceAndValidatesOnce) {
    test::SwitchesSlot::Reset({"/N", "/F"});
    TCountingArgs::validations = 0;
    TCountingArgs& first = TCountingArgs::GetInstance();
    EXPECT_EQ(TCountingArgs::validations, 1);
    EXPECT_EQ(first.Count(), 2) << "validated after the arguments were in";
    EXPECT_EQ(&TCountingArgs::GetInstance(), &first);
    // One slot for every class: the base hands out the derived object already made.
    EXPECT_EQ(&TOstrelArgs::GetInstance(), &first);
    EXPECT_EQ(TCountingArgs::validations, 1);
}

TEST_F(SwitchList, AFailedCreationStoresNothing) {
    test::SwitchesSlot::Reset({"/N"});
    TCountingArgs::validations = 0;
    TCountingArgs::failNext = true;
    try {
        TCountingArgs::GetInstance();
        FAIL() << "Validate's exception was swallowed";
    } catch (const EVeltoCommandArgsException& e) {
        EXPECT_EQ(e.Message(), "refused 1");
    }
    TCountingArgs& made = TCountingArgs::GetInstance();
    EXPECT_EQ(TCountingArgs::validations, 2);
    EXPECT_EQ(made.Count(), 1);
}

TEST_F(SwitchList, TheFirstClassToAskDecidesTheInstance) {
    test::SwitchesSlot::Reset({"/N"});
    const TOstrelArgs& base = TOstrelArgs::GetInstance();
    EXPECT_EQ(base.ClassName(), "TOstrelArgs");
    EXPECT_EQ(&TOstrelArgs::GetInstance(), &base);
    EXPECT_THROW(TCountingArgs::GetInstance(), std::bad_cast);
}

}  // namespace
}  // namespace vireziriv
