#pragma once
// Plays a script through the workflow core alone, without widgets, as the scripted runner plays
// it through the windows, and gives the state at every dump: the core's state must be what the
// windows show.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "engine/workflow.h"
#include "tests/script_line.h"
#include "tests/state.h"

namespace tomokari {

class CorePlayer {
public:
    explicit CorePlayer(const ReferenceTables& tables) : workflow_(tables) {}

    // Plays one line of a script; true when it was a dump.
    bool step(std::string_view line);

    // What the windows show now, as a dump reports it.
    State state() const;

    const Workflow& workflow() const { return workflow_; }

private:
    void act(const ScriptLine& line);

    Workflow workflow_;
    std::deque<bool> answers_;
    std::vector<BoxFact> questions_, messages_;
    std::string clipboard_;
};

}  // namespace tomokari
