#pragma once

#include "conversion_ui.h"
#include "output_files.h"
#include "prepared_text.h"
#include "settings.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace engine {

// The layout and writing of one entry's pages into one or more output files. Files are placed
// only when every one of them is complete, so a failure midway replaces nothing.
class PageOutput {
  public:
    PageOutput(const PreparedText& prepared, const Settings& live, ConversionUi& ui,
               OutputFiles& outputs)
        : m_prepared(prepared), m_live(live), m_ui(ui), m_outputs(outputs) {}

    bool writeUnsplit(const std::string& path);
    bool writeSplit(const std::string& chosenPath);

    const Failure& failure() const { return m_failure; }
    bool stopped() const { return m_stopped; }
    // The user chose to leave the files the entry would replace: nothing was written.
    bool skipped() const { return m_skipped; }

  private:
    bool open(const std::string& path);
    bool flush(bool all);
    bool closeFile();
    bool placeAll();
    bool mayReplace(const std::vector<std::string>& paths);
    std::vector<std::string> approvalList() const;
    bool takeTurn();
    bool approveAhead();
    bool approveAtTurn();
    bool failedAhead();
    std::vector<std::string> staleParts(std::size_t partsWritten) const;
    bool appendPage(int spaceline);
    bool pageWritten();
    bool fail(Failure::Action action, const std::string& path, FileError error);

    const PreparedText& m_prepared;
    const Settings& m_live;
    ConversionUi& m_ui;
    OutputFiles& m_outputs;

    LayoutState m_state;
    PageRows m_rows;
    std::int64_t m_pagesWritten = 0;
    bool m_stopped = false;
    bool m_skipped = false;
    std::string m_buffer;
    std::string m_currentPath;
    std::unique_ptr<OutputFile> m_current;
    std::vector<std::pair<std::string, std::unique_ptr<OutputFile>>> m_finished;
    std::vector<std::string> m_planned; // the files the entry is to write, as counted
    std::string m_seriesPath;           // the chosen path of a numbered series, else empty
    bool m_turnTaken = false;
    Failure m_failure{Failure::Action::WriteOutput, {}, {}};
};

} // namespace engine
