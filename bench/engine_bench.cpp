// Throughput of the whole engine on a generated book: line-break step, normalisation, layout and
// page writing, reported in bytes of source text per second.
#include "engine/column_layout.h"
#include "engine/page_writer.h"
#include "engine/text_normalization.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

// Typical prose as read from an Aozora-style text (LF line breaks): paragraphs opening with a
// full-width space, dialogue in 「」, short lines, empty lines, ruby marks and some ASCII.
std::string makeBook(std::size_t size) {
    const char* words[] = {"\x8e\x84\x82\xcd", "\x8f\x97\x82\xcc", "\x8e\x71\x8b\x9f\x82\xaa",
                           "\x82\xbb\x82\xb5\x82\xc4", "\x8c\xbe\x82\xc1\x82\xbd",
                           "\x93\x56\x8b\x43", "\x81\x41", "\x81\x42", "\x83\x4a\x83\x5e\x83\x4a\x83\x69",
                           "\x81\x5b", "abc", "\x81\x73\x82\xe0\x82\xcc\x81\x74", "\xb6\xde\xb7"};
    std::mt19937 rng(42);
    std::string text;
    text.reserve(size + 256);
    while (text.size() < size) {
        const int kind = rng() % 10;
        if (kind == 0) {
            text += "\n";
            continue;
        }
        std::string line = kind < 4 ? "\x81\x75" : "\x81\x40";
        const int n = 5 + rng() % 30;
        for (int i = 0; i < n; ++i)
            line += words[rng() % std::size(words)];
        line += kind < 4 ? "\x81\x76" : "\x81\x42";
        text += line + "\n";
    }
    text.resize(size);
    return text;
}

void runEngine(benchmark::State& state, int spaceline, bool verse) {
    const std::string book = makeBook(10 * 1024 * 1024);
    engine::NoEventPump pump;
    std::string out;
    for (auto _ : state) {
        std::string text = book;
        text += '\xff';
        engine::PageGeometry geometry = engine::MakePageGeometry(0, 0, spaceline);
        if (verse)
            engine::NormalizeVerse(geometry, text, pump);
        else
            engine::NormalizeProse(geometry, text, pump);
        geometry.textLength = static_cast<std::int32_t>(text.size());
        engine::LayoutState layout;
        engine::PageRows rows;
        out.clear();
        bool exhausted = false;
        while (!exhausted) {
            exhausted = engine::LayoutPage(spaceline, geometry, text, rows, layout);
            engine::WritePage(geometry, out, rows);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * book.size()));
}

void BM_ProseOneByteBlank(benchmark::State& s) { runEngine(s, 1, false); }
void BM_ProseTwoByteBlank(benchmark::State& s) { runEngine(s, 0, false); }
void BM_ProsePacked(benchmark::State& s) { runEngine(s, 2, false); }
void BM_VerseOneByteBlank(benchmark::State& s) { runEngine(s, 1, true); }

} // namespace

BENCHMARK(BM_ProseOneByteBlank)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProseTwoByteBlank)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProsePacked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerseOneByteBlank)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
