// The choice of an optimisation object, answered from a queue; a choice the
// test did not script fails the running test.
#pragma once

#include "editor/editor_session.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>

namespace vemra::test {

class ScriptedChooser : public OptimisationObjectChooser {
public:
    std::optional<int> chooseOptimisationObject() override
    {
        ++asked;
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted choice of an optimisation object";
            return std::nullopt;
        }
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<std::optional<int>> answers;
    int asked = 0;
};

} // namespace vemra::test
