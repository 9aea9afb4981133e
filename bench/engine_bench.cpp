// Throughput of the whole engine on a generated book: line-break step, normalisation, layout and
// page writing, reported in bytes of source text per second.
#include "engine/column_layout.h"
#include "engine/conversion_run.h"
#include "engine/page_writer.h"
#include "engine/prepared_text.h"
#include "engine/text_stream.h"
#include "files/source_files.h"
#include "input/source_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// Typical prose as read from an Aozora-style text (LF line breaks, no CR): paragraphs opening
// with a full-width space, dialogue in 「」, short lines, empty lines between sections, mostly
// kanji and kana with 、 and 。, now and then ruby in 《》, a long vowel mark or a Latin word.
std::string makeBook(std::size_t size) {
    const std::string kanaKanji =
        "\x82\xcc\x82\xc9\x82\xcd\x82\xf0\x82\xbd\x82\xaa\x82\xc4\x82\xb5\x82\xc5\x82\xa2"
        "\x82\xe9\x82\xa9\x82\xc8\x82\xe0\x82\xc1\x82\xb1\x82\xea\x82\xc6\x82\xa4\x82\xe8"
        "\x8e\x84\x90\x6c\x93\xfa\x8e\x9e\x8f\x97\x8e\x71\x8b\x9f\x8c\xbe\x8e\x76\x96\xda"
        "\x8e\xe8\x90\xe6\x90\xb6\x93\xb9\x89\xc6\x91\xbe\x88\xea\x93\xf1\x8f\x6f\x8d\x73"; // の に は を た が て し で い る か な も っ こ れ と う り 私 人 日 時 女 子 供 言 思 目 手 先 生 道 家 太 一 二 出 行
    std::mt19937 rng(42);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    auto sentence = [&](std::string& line) {
        const std::size_t n = 8 + pick(25);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t k = pick(kanaKanji.size() / 2);
            line.append(kanaKanji, 2 * k, 2);
            const std::size_t extra = pick(100);
            if (extra < 6)
                line += "\x81\x41"; // 、
            else if (extra == 6)
                line += "\x81\x73\x82\xa0\x82\xa2\x81\x74"; // 《あい》
            else if (extra == 7)
                line += "\x81\x5b"; // ー
            else if (extra == 8)
                line += "abc";
        }
        line += "\x81\x42"; // 。
    };
    std::string text;
    text.reserve(size + 512);
    while (text.size() < size) {
        const std::size_t kind = pick(20);
        std::string line;
        if (kind == 0) {
            text += "\n"; // a section break
            continue;
        }
        if (kind < 7) {
            line = "\x81\x75"; // 「
            sentence(line);
            line += "\x81\x76"; // 」
        } else {
            line = "\x81\x40"; // a paragraph of a few sentences
            for (std::size_t s = 1 + pick(4); s > 0; --s)
                sentence(line);
        }
        text += line + "\n";
    }
    text.resize(size);
    return text;
}

// PAGELUME_BENCH_FILE names a real book to use instead (read as the run reads it: CRs dropped).
std::string loadBook() {
    if (const char* path = std::getenv("PAGELUME_BENCH_FILE")) {
        std::ifstream in(path, std::ios::binary);
        std::string book((std::istreambuf_iterator<char>(in)), {});
        engine::MakeTextAsRead(book);
        return book;
    }
    return makeBook(10 * 1024 * 1024);
}

void runEngine(benchmark::State& state, int spaceline, bool verse) {
    static const std::string book = loadBook();
    engine::NoEventPump pump;
    std::string out;
    engine::Settings live;
    live.spaceline = spaceline;
    live.usereturn = verse;
    const engine::PageGeometry geometry = engine::MakePageGeometry(0, 0, spaceline);
    for (auto _ : state) {
        const std::optional<engine::PreparedText> prepared =
            engine::PrepareText({book, {}, 0, {}, {}, {}, {}}, nullptr, geometry, live, pump);
        engine::LayoutState layout;
        engine::PageRows rows;
        out.clear();
        bool exhausted = false;
        while (!exhausted) {
            exhausted =
                engine::LayoutPage(spaceline, prepared->geometry, prepared->text, rows, layout);
            engine::WritePage(prepared->geometry, out, rows);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * book.size()));
}

void BM_ProseOneByteBlank(benchmark::State& s) {
    runEngine(s, 1, false);
}
void BM_ProseTwoByteBlank(benchmark::State& s) {
    runEngine(s, 0, false);
}
void BM_ProsePacked(benchmark::State& s) {
    runEngine(s, 2, false);
}
void BM_VerseOneByteBlank(benchmark::State& s) {
    runEngine(s, 1, true);
}

// The longest stretch without serving events while a whole 50 MB book is converted (read from a
// file, normalised, counted and paged into a split output), in milliseconds: the window stays
// responsive while this stays well under 50.
class GapMeasuringUi final : public engine::ConversionUi {
  public:
    double longestGapMs = 0;
    std::string outputPath;
    void ProcessPendingEvents() override {
        const auto now = std::chrono::steady_clock::now();
        if (m_started)
            longestGapMs = std::max(
                longestGapMs, std::chrono::duration<double, std::milli>(now - m_last).count());
        m_started = true;
        m_last = now;
    }
    bool ConfirmHeader(const engine::HeaderQuestion&) override { return true; }
    std::optional<std::string> AskOutputPath(const std::string&, const std::string&) override {
        return outputPath;
    }
    void SetBusyCursor(bool) override {}
    void ShowStage(engine::Stage) override {}
    void ReportFailure(const engine::Failure&) override {}

  private:
    bool m_started = false;
    std::chrono::steady_clock::time_point m_last;
};

class Discard final : public engine::OutputFiles {
    struct Sink final : engine::OutputFile {
        bool write(std::string_view, engine::FileError&) override { return true; }
        bool finish(engine::FileError&) override { return true; }
        bool place(engine::FileError&) override { return true; }
        void confirm() override {}
        std::optional<engine::UndoFault> undo() override { return std::nullopt; }
    };
    std::string fileNameFromShiftJis(std::string_view sjis,
                                     const std::vector<std::string>&) const override {
        return std::string(sjis);
    }
    std::unique_ptr<engine::OutputFile> create(const std::string&, engine::FileError&) override {
        return std::make_unique<Sink>();
    }
};

struct OneFile final : engine::FileList {
    std::string file;
    std::size_t count() const override { return 1; }
    std::string path(std::size_t) const override { return file; }
    bool isSelected(std::size_t) const override { return true; }
};

void BM_WholeRunEventGap(benchmark::State& state) {
    OneFile list;
    list.file = (std::filesystem::temp_directory_path() / "pagelume-bench-book.txt").string();
    {
        std::string book = makeBook(50 * 1024 * 1024);
        std::string withCrLf;
        for (char c : book)
            withCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        std::ofstream(list.file, std::ios::binary) << withCrLf;
    }
    engine::Settings live;
    live.useheader = true;
    live.usedivision = true;
    live.divisionsize = 100;
    double longest = 0;
    for (auto _ : state) {
        GapMeasuringUi ui;
        ui.outputPath = "book.txt";
        files::FileSystemSources sources;
        input::SourceInput input;
        Discard discard;
        engine::Converter(sources, input, discard).RunConversion(list, "", live, ui);
        longest = std::max(longest, ui.longestGapMs);
    }
    std::filesystem::remove(list.file);
    state.counters["longest_event_gap_ms"] = longest;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 50 * 1024 * 1024);
}

} // namespace

BENCHMARK(BM_WholeRunEventGap)->Unit(benchmark::kMillisecond)->Iterations(3);
// This machine's timings wander from run to run; with --benchmark_repetitions the fastest run
// ("_min") is the steadiest figure.
double fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_ProseOneByteBlank)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_ProseTwoByteBlank)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_ProsePacked)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_VerseOneByteBlank)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK_MAIN();
