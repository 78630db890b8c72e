// The text import and the adapter history hyphenate every number they read;
// this measures one number through the hyphenation service.
#include "data/Hyphenation.h"
#include "data/WidthConversion.h"
#include "platform/MessageService.h"

#include <benchmark/benchmark.h>

namespace {

class SilentMessages : public kanata::MessageService {
public:
    kanata::MessageResult ShowCenteredMessage(const kanata::MessageRequest&) override {
        return kanata::MessageResult::Ok;
    }
};

void BM_FormatTelHyphen(benchmark::State& state) {
    SilentMessages messages;
    kanata::HyphenationService service;
    service.Load("Dic/", messages);
    const char* numbers[] = {"0312345678", "0466123456", "09012345678", "012345678"};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(service.FormatTelHyphen(numbers[i++ % 4]));
}
BENCHMARK(BM_FormatTelHyphen);

void BM_ToFullWidth(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(kanata::ToFullWidth("ﾔﾏﾀﾞｼﾖｳｼﾞ ｶﾌﾞｼｷｶﾞｲｼﾔ 03-1234-5678"));
}
BENCHMARK(BM_ToFullWidth);

} // namespace
