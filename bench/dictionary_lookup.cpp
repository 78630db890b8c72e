// Lookups on the shipped dictionary folder (the build's stage/Dic): opening
// the dictionaries, postal codes (whole and prefix), addresses, exchange
// areas, coordinates, the import's address conversion and name readings.
// The address lookups go through the dictionary libraries' calls, as the
// searches make them. The postal and exchange-area lookups report x_floor,
// their time over that of the same lookup as plain binary searches over
// sorted vectors (DictionaryFloor.h), measured in the same run; the floors
// also run as benchmarks of their own.
#include "bench/DictionaryFloor.h"
#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "lookup/DictionarySearch.h"
#include "lookup/DlMtad.h"
#include "lookup/DlZsCnv.h"
#include "lookup/NameDictionary.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <type_traits>

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

// Runs `lookup` on the inputs in turn and reports the lookups per second.
template <class Inputs, class Lookup>
void Cycle(benchmark::State& state, const Inputs& inputs, Lookup lookup) {
    std::size_t i = 0;
    for (auto _ : state)
        lookup(inputs[i++ % inputs.size()]);
    state.counters["lookups/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

const bench::DictionaryFloor& Floor() {
    static const bench::DictionaryFloor floor(kDic);
    return floor;
}

// x_floor: the lookup's CPU time over the floor's on the same inputs, each
// the best of rounds taken in turn after the timed loop, so that load from
// elsewhere on the machine weighs on both alike.
template <class Inputs, class Lookup, class FloorWork>
void ReportFloor(benchmark::State& state, const Inputs& inputs, Lookup lookup, FloorWork floor,
                 const std::string& suffix = "") {
    double best = 1e30, bestFloor = 1e30;
    for (int round = 0; round < 5; ++round) {
        best = std::min(best, bench::BestSecondsPerCall(inputs, lookup, 1, 500));
        bestFloor = std::min(bestFloor, bench::BestSecondsPerCall(inputs, floor, 1, 500));
    }
    state.counters["x_floor" + suffix] = best / bestFloor;
    state.counters["floor_us" + suffix] = bestFloor * 1e6;
}

void PostalFloor(const char* digits) {
    benchmark::DoNotOptimize(Floor().Postal(digits));
}

void AreaFloor(const char* number) {
    benchmark::DoNotOptimize(Floor().ExchangeArea(number));
}

// The exchange-area search also hands back the number as the numbering
// plan writes it (libphonenumber): this floor formats it as well.
void AreaFloorFormatted(const char* number) {
    AreaFloor(number);
    char formatted[kHyphenBufferSize];
    const SystemTime now{};
    benchmark::DoNotOptimize(GetHyphen(number, formatted, "", &now));
}

// A search and then the towns of the first city it found, as the dialog
// lists them.
template <class Search, std::size_t N, class FloorWork = std::nullptr_t>
void SearchWithTowns(benchmark::State& state, const std::array<const char*, N>& inputs,
                     FloorWork floor = nullptr) {
    Search search(kDic);
    const auto lookup = [&](const char* input) {
        benchmark::DoNotOptimize(search.Search(input));
        benchmark::DoNotOptimize(search.Towns(0, false).size());
    };
    Cycle(state, inputs, lookup);
    if constexpr (!std::is_same_v<FloorWork, std::nullptr_t>)
        ReportFloor(state, inputs, lookup, floor);
}

const std::array<const char*, 3> kAddresses = {"東京都千代田区丸の内", "神奈川県藤沢市鵠沼",
                                               "北海道札幌市中央区"};
const std::array<const char*, 3> kNumbers = {"0312345678", "0466123456", "0112345678"};

const std::array<const char*, 4> kPostalCodes = {"1000005", "2510001", "0600001", "9071801"};
const std::array<const char*, 4> kPostalPrefixes = {"100", "251", "060", "907"};

void BM_PostalCode(benchmark::State& state) {
    SearchWithTowns<TPosSearch>(state, kPostalCodes, PostalFloor);
}
BENCHMARK(BM_PostalCode);

void BM_PostalCodeFloor(benchmark::State& state) {
    Cycle(state, kPostalCodes, PostalFloor);
}
BENCHMARK(BM_PostalCodeFloor);

void BM_PostalPrefix(benchmark::State& state) {
    SearchWithTowns<TPosSearch>(state, kPostalPrefixes, PostalFloor);
}
BENCHMARK(BM_PostalPrefix);

void BM_PostalPrefixFloor(benchmark::State& state) {
    Cycle(state, kPostalPrefixes, PostalFloor);
}
BENCHMARK(BM_PostalPrefixFloor);

void BM_Address(benchmark::State& state) {
    SearchWithTowns<TAdrsSearch>(state, kAddresses);
}
BENCHMARK(BM_Address);

void BM_ExchangeArea(benchmark::State& state) {
    TKykbnSearch search(kDic);
    const auto lookup = [&](const char* number) {
        benchmark::DoNotOptimize(search.Search(number));
    };
    Cycle(state, kNumbers, lookup);
    ReportFloor(state, kNumbers, lookup, AreaFloor);
    ReportFloor(state, kNumbers, lookup, AreaFloorFormatted, "_formatted");
}
BENCHMARK(BM_ExchangeArea);

void BM_ExchangeAreaFloor(benchmark::State& state) {
    Cycle(state, kNumbers, AreaFloor);
}
BENCHMARK(BM_ExchangeAreaFloor);

// A number's area with the towns of its first city, fetched in batches of 20.
void BM_ExchangeAreaTowns(benchmark::State& state) {
    SearchWithTowns<TKykbnSearch>(state, kNumbers);
}
BENCHMARK(BM_ExchangeAreaTowns);

void BM_Coordinates(benchmark::State& state) {
    std::array<std::string, kAddresses.size()> texts;
    std::transform(kAddresses.begin(), kAddresses.end(), texts.begin(),
                   [](const char* a) { return cp932::encode(a); });
    DlmtadResult result{};
    Cycle(state, texts, [&](const std::string& text) {
        benchmark::DoNotOptimize(DLMTAdrs(text.c_str(), &result, kDicText.c_str()));
    });
}
BENCHMARK(BM_Coordinates);

// The import's completion of one address.
void BM_AddressConversion(benchmark::State& state) {
    const TContinualAdrsSearch convert(kDic);
    const std::array<const char*, 3> texts = {"東京都千代田区丸の内２－７－２",
                                              "神奈川県藤沢市鵠沼海岸１－１", "251-0001"};
    AddressConversion result;
    Cycle(state, texts,
          [&](const char* text) { benchmark::DoNotOptimize(convert.Convert(text, result)); });
}
BENCHMARK(BM_AddressConversion);

void BM_NameReading(benchmark::State& state) {
    static const NameDictionary names(kDic);
    const std::array<std::string, 4> readings = {cp932::encode("ﾔﾏﾀﾞ"), cp932::encode("ｻ"),
                                                 cp932::encode("ﾀｶﾊｼ"), cp932::encode("ﾏｷ")};
    std::vector<NameCandidate> list(kNameCandidateLimit);
    Cycle(state, readings, [&](const std::string& q) {
        std::int32_t count = 0;
        names.DLNMSeiCount(q.c_str(), 0, &count, "");
        benchmark::DoNotOptimize(names.DLNMSeiList(q.c_str(), 0, list.data(), count, ""));
    });
}
BENCHMARK(BM_NameReading);

} // namespace
