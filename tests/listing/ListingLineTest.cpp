// One person's line under the switches, for arguments that a Windows command line cannot carry.
#include "listing/VLListupUnit.h"

#include "args/OstrelArgsUnit.h"
#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/VeltoPersonUnit.h"
#include "support/SwitchesSlot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vireziriv {
namespace {

// Windows drops an empty argument from the command line; elsewhere it reaches the switches as an
// invalid one with an empty name, and the first invalid switch is the one the message names.
TEST(ListingLine, AnEmptyArgumentIsAnInvalidSwitchInItsPlace) {
    TVeltoPerson person;
    person.SetName("N");
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"", "/N", "/X"}, ""},
        {{"/N", "", "/X:a"}, ""},
        {{"/N", "/X", ""}, "/X"},
    };
    for (const auto& c : cases) {
        test::SwitchesSlot::Reset(c.args);
        try {
            const std::string line = ListingLine(person, TOstrelArgs::GetInstance());
            ADD_FAILURE() << "listed " << testing::PrintToString(line) << " for " << testing::PrintToString(c.args);
        } catch (const EVeltoCommandArgsException& e) {
            EXPECT_EQ(e.Message(), c.named + std::string(text::kInvalidSwitch)) << testing::PrintToString(c.args);
        }
    }
    test::SwitchesSlot::Reset();
}

}  // namespace
}  // namespace vireziriv
