// Lookups on the shipped dictionary folder (the build's stage/Dic): opening
// the dictionaries, postal codes (whole and prefix), addresses, exchange
// areas, coordinates, the import's address conversion and name readings.
// The address lookups go through the dictionary libraries' calls, as the
// searches make them.
#include "data/Cp932.h"
#include "lookup/DictionarySearch.h"
#include "lookup/DlMtad.h"
#include "lookup/DlZsCnv.h"
#include "lookup/NameDictionary.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

using namespace kanata;

const std::filesystem::path kDic = std::filesystem::path(KANATA_STAGE_DIR) / "Dic";

const std::string kDicText = kDic.string();

// What the libraries do on the first call that names a folder.
void BM_OpenAddressDictionary(benchmark::State& state) {
    for (auto _ : state) {
        const AddressDictionary data(kDic);
        benchmark::DoNotOptimize(&data);
    }
}
BENCHMARK(BM_OpenAddressDictionary)->Unit(benchmark::kMillisecond);

void BM_OpenNameDictionary(benchmark::State& state) {
    for (auto _ : state) {
        NameDictionary names(kDic);
        benchmark::DoNotOptimize(&names);
    }
}
BENCHMARK(BM_OpenNameDictionary)->Unit(benchmark::kMillisecond);

void BM_PostalCode(benchmark::State& state) {
    TPosSearch search(kDic);
    const std::array<const char*, 4> codes = {"1000005", "2510001", "0600001", "9071801"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(search.Search(codes[i++ % codes.size()]));
        benchmark::DoNotOptimize(search.Towns(0, false).size());
    }
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PostalCode);

void BM_PostalPrefix(benchmark::State& state) {
    TPosSearch search(kDic);
    const std::array<const char*, 4> codes = {"100", "251", "060", "907"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(search.Search(codes[i++ % codes.size()]));
        benchmark::DoNotOptimize(search.Towns(0, false).size());
    }
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PostalPrefix);

void BM_Address(benchmark::State& state) {
    TAdrsSearch search(kDic);
    const std::array<const char*, 3> texts = {"東京都千代田区丸の内", "神奈川県藤沢市鵠沼",
                                              "北海道札幌市中央区"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(search.Search(texts[i++ % texts.size()]));
        benchmark::DoNotOptimize(search.Towns(0, false).size());
    }
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Address);

void BM_ExchangeArea(benchmark::State& state) {
    TKykbnSearch search(kDic);
    const std::array<const char*, 3> numbers = {"0312345678", "0466123456", "0112345678"};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(search.Search(numbers[i++ % numbers.size()]));
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExchangeArea);

// A number's area with the towns of its first city, fetched in batches of 20.
void BM_ExchangeAreaTowns(benchmark::State& state) {
    TKykbnSearch search(kDic);
    const std::array<const char*, 3> numbers = {"0312345678", "0466123456", "0112345678"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(search.Search(numbers[i++ % numbers.size()]));
        benchmark::DoNotOptimize(search.Towns(0, false).size());
    }
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExchangeAreaTowns);

void BM_Coordinates(benchmark::State& state) {
    const std::array<std::string, 3> texts = {cp932::encode("東京都千代田区丸の内"),
                                              cp932::encode("神奈川県藤沢市鵠沼"),
                                              cp932::encode("北海道札幌市中央区")};
    DlmtadResult result{};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            DLMTAdrs(texts[i++ % texts.size()].c_str(), &result, kDicText.c_str()));
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Coordinates);

// The import's completion of one address.
void BM_AddressConversion(benchmark::State& state) {
    const TContinualAdrsSearch convert(kDic);
    const std::array<const char*, 3> texts = {"東京都千代田区丸の内２－７－２",
                                              "神奈川県藤沢市鵠沼海岸１－１", "251-0001"};
    AddressConversion result;
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(convert.Convert(texts[i++ % texts.size()], result));
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AddressConversion);

void BM_NameReading(benchmark::State& state) {
    static const NameDictionary names(kDic);
    const std::array<std::string, 4> readings = {cp932::encode("ﾔﾏﾀﾞ"), cp932::encode("ｻ"),
                                                 cp932::encode("ﾀｶﾊｼ"), cp932::encode("ﾏｷ")};
    std::vector<NameCandidate> list(kNameCandidateLimit);
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& q = readings[i++ % readings.size()];
        std::int32_t count = 0;
        names.DLNMSeiCount(q.c_str(), 0, &count, "");
        benchmark::DoNotOptimize(names.DLNMSeiList(q.c_str(), 0, list.data(), count, ""));
    }
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NameReading);

} // namespace
