#pragma once
// A ConversionUi that answers from a script and records every call, in order.

#include "engine/conversion_run.h"
#include "platform/file_names.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class ScriptedUi : public engine::ConversionUi {
public:
    std::vector<std::string> calls;          // "status:<utf8>:revert|keep", "ask:<utf8 caption>", ...
    std::vector<engine::Failure> failures;
    std::deque<bool> yesNoAnswers;           // empty: Yes
    std::deque<std::optional<std::string>> outputPaths; // empty: cancel
    std::vector<std::string> proposedNames;
    std::vector<std::string> initialFolders;
    std::vector<std::string> questions;      // Shift_JIS texts of AskYesNo
    std::function<void()> onEvents;          // runs inside ProcessPendingEvents
    int eventCalls = 0;

    void ProcessPendingEvents() override {
        ++eventCalls;
        if (onEvents)
            onEvents();
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        calls.push_back("ask:" + platform::Utf8FromShiftJis(caption));
        questions.push_back(text);
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
    void ShowStatus(const std::string& message, bool revert) override {
        calls.push_back("status:" + platform::Utf8FromShiftJis(message) + (revert ? ":revert" : ":keep"));
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    void ShowProgress(std::int64_t done, std::int64_t total) override { progress.emplace_back(done, total); }

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
