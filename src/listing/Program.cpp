// The command's run and the mapping of its failures to exit statuses.
#include "listing/Program.h"

#include "args/VLArgsUnit.h"
#include "base/Exceptions.h"
#include "base/Texts.h"
#include "base/Version.h"
#include "board/VeltoEnvUnit.h"
#include "listing/LineFormat.h"
#include "listing/VLListupUnit.h"
#include "platform/Console.h"

#include <exception>
#include <string>

namespace vireziriv {
namespace {

int Fail(std::string_view message, int status) {
    platform::WriteError(std::string(message) + "\r\n");
    return status;
}

int FailUnexpectedly(std::string_view message) {
    return Fail(std::string(text::kUnexpectedError) + "\r\n" + std::string(message), 99);
}

}  // namespace

int RunProgram() {
    try {
        TVLArgs& switches = TVLArgs::GetInstance();
        if (switches.GetRequest() == TVLArgs::Request::kVersion) {
            platform::StandardOutput out;
            out.Write(std::string(text::kVersionLine) + "\r\n");
            out.Flush();
            return 0;
        }
        const TVeltoEnv env(switches.GetShareDir());
        TVLListup listup(env);
        platform::StandardOutput out(AsksForJson(switches) ? platform::OutputText::kSafeUtf8
                                                           : platform::OutputText::kCp932);
        listup.Execute(out);
        out.Flush();
        return 0;
    } catch (const EVeltoCommandArgsException& e) {
        return Fail(e.Message(), 1);
    } catch (const EVeltoCommandFileException& e) {
        return Fail(e.Message(), 2);
    } catch (const Exception& e) {
        return FailUnexpectedly(e.Message());
    } catch (const std::bad_alloc&) {
        return FailUnexpectedly("Out of memory");
    } catch (const std::exception& e) {
        // The standard library's own failures belong to the run-time's family here.
        return FailUnexpectedly(e.what());
    }
}

}  // namespace vireziriv
