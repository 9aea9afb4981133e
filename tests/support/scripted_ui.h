#pragma once
// A ConversionUi that answers from a script and records every call, in order; a file list held in
// memory; and a converter over the file system.

#include "engine/conversion_run.h"
#include "files/output_files.h"
#include "files/source_files.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

inline const char* stageName(engine::Stage stage) {
    using engine::Stage;
    switch (stage) {
    case Stage::ConfirmingHeader:
        return "confirming header";
    case Stage::ChoosingOutput:
        return "choosing output";
    case Stage::Reading:
        return "reading";
    case Stage::Preparing:
        return "preparing";
    case Stage::Converting:
        return "converting";
    case Stage::Done:
        return "done";
    case Stage::Cancelled:
        return "cancelled";
    case Stage::Stopped:
        return "stopped";
    }
    return "?";
}

class ScriptedUi : public engine::ConversionUi {
  public:
    struct Question {
        std::string title; // Shift_JIS
        std::string author;
    };

    std::vector<std::string> calls; // "stage:<name>", "confirm", "save", "busy:on", ...
    std::vector<engine::Failure> failures;
    std::vector<Question> questions;
    std::deque<bool> yesNoAnswers;                      // empty: Yes
    std::deque<std::optional<std::string>> outputPaths; // empty: cancel
    std::vector<std::string> proposedNames;
    std::vector<std::string> initialFolders;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    std::function<void()> onEvents; // runs inside ProcessPendingEvents
    std::function<bool()> stopWhen; // asked by StopRequested
    int eventCalls = 0;

    void ProcessPendingEvents() override {
        ++eventCalls;
        if (onEvents)
            onEvents();
    }
    bool ConfirmHeader(const engine::HeaderQuestion& question) override {
        calls.push_back("confirm");
        questions.push_back({std::string(question.title), std::string(question.author)});
        if (yesNoAnswers.empty())
            return true;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> AskOutputPath(const std::string& proposedName,
                                             const std::string& initialFolder) override {
        calls.push_back("save");
        proposedNames.push_back(proposedName);
        initialFolders.push_back(initialFolder);
        if (outputPaths.empty())
            return std::nullopt;
        auto answer = outputPaths.front();
        outputPaths.pop_front();
        return answer;
    }
    void SetBusyCursor(bool on) override { calls.push_back(on ? "busy:on" : "busy:off"); }
    void ShowStage(engine::Stage stage) override {
        calls.push_back(std::string("stage:") + stageName(stage));
    }
    void ShowProgress(std::int64_t done, std::int64_t total) override {
        progress.emplace_back(done, total);
    }
    bool StopRequested() override { return stopWhen && stopWhen(); }
    void ReportFailure(const engine::Failure& failure) override {
        calls.push_back("failure:" + failure.path);
        failures.push_back(failure);
    }
};

// A file list held in memory; entries can be removed while a run is under way.
class ListOfFiles : public engine::FileList {
  public:
    struct Entry {
        std::string path;
        bool selected = true;
    };
    std::vector<Entry> entries;

    std::size_t count() const override { return entries.size(); }
    std::string path(std::size_t i) const override { return entries[i].path; }
    bool isSelected(std::size_t i) const override { return entries[i].selected; }
};

} // namespace testing_support
