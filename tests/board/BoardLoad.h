// A test's board of person files, loaded through a file system of the test's: what the load kept,
// and the message it failed with.
#pragma once

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/BoardFiles.h"
#include "board/VeltoPersonUnit.h"
#include "support/TempDir.h"
#include "ReadHook.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vireziriv::test {

class BoardLoad : public testing::Test {
protected:
    using Names = std::vector<std::string>;

    // `count` person files p0000.vlt..., each of its own furigana and name in one group g; returns
    // the listing's order.
    Names Board(int count) {
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "p%04d", i);
            dir.Write(std::string(name) + ".vlt", std::string(name) + "\r\n" + name + "\r\ng\r\n");
        }
        return ListingOrder(dir);
    }

    // The message of a person file that cannot be read.
    std::string MessageFor(const std::string& name) const {
        return std::string(text::kPersonFileBefore) + dir.PathOf(name) + std::string(text::kPersonFileAfter);
    }

    // What a load that fails because the directory has gone says, as LoadFailure gives it.
    static std::string MissingDirectory() { return "status 1: " + std::string(text::kShareDirNotFound); }

    // The load's failure message (a failure of status 1 as MissingDirectory gives it), or "" when it
    // went through.
    std::string LoadFailure(const BoardFiles& files) {
        try {
            list.LoadFromDir(dir.Path(), files);
        } catch (const EVeltoCommandFileException& e) {
            return e.Message();
        } catch (const EVeltoCommandArgsException& e) {
            return "status 1: " + e.Message();
        }
        return "";
    }

    // The file names of the persons in the list, in the listing's order.
    Names Kept(const Names& order) const {
        Names kept;
        for (const std::string& name : order) {
            if (list.FindByFileName(name.substr(0, name.size() - 4))) kept.push_back(name);
        }
        return kept;
    }

    TempDir dir;
    TVeltoPersonsList list;
};

}  // namespace vireziriv::test
